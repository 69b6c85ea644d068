"""Python binding of libecf, the driver library for the ECF fiscal printer.

    import ecf
    printer = ecf.Library()                 # finds libecf (or ECF_LIBRARY=path)
    printer.ChangePort(0)                    # COM1, i.e. $ECF_COM1: a device path,
                                             # or tcp://HOST:PORT, rfc2217://HOST:PORT
    status = printer.VendaItem("ARROZ", "1234", 7)
    text = printer.StatusCupom(0)            # text forms return str
    result, fields = printer.ParamStatusCup()   # out-parameters come back as a dict

Every export of the library is a typed method, named without the "ecf" (or
"ecf_") prefix; help(ecf.Library.VendaItem) names its arguments. Texts go to
and come from the printer in code page 850. An argument that cannot be sent as
given (a float for an integer, a text holding a NUL, a list for a text) raises
TypeError or ValueError naming it, and nothing is sent.

By default the methods return what the exports return. With
ecf.Library(strict=True) a printer command or query that did not go through
raises instead, with the exchange report (ecf.ExchangeInfo) as `report`:

    try:
        ecf.Library(strict=True).SubTotal()
    except ecf.NoAnswer as e:            # silent, though SubTotal returned 0
        print(e, e.report.bytes_sent)
    except ecf.ReplyCutShort as e:       # e.received of e.expected bytes
    except ecf.PrinterRefused as e:      # e.status, the printer's status byte
    except ecf.LinkError as e:           # e.code (1030, ...), e.system_error, e.step
    except ecf.EcfError as e:            # the base: also the library's own codes (21, 1098, ...)
"""

import ctypes
import ctypes.util
import operator
import os
from pathlib import Path
from typing import Any, List, NamedTuple, Optional, Tuple

from ._exports import EXPORTS as _SPECS
from ._exports import Exports as _Exports
from ._errors import EcfError, LinkError, NoAnswer, PrinterRefused, ReplyCutShort, judged
from ._exports import __version__
from ._types import ExchangeInfo, Text

try:  # written by the CMake build: where it installed the library
    from ._paths import LIBRARY_DIRS as _LIBRARY_DIRS
except ImportError:
    _LIBRARY_DIRS = ()

__all__ = ["Library", "Export", "EXPORTS", "ExchangeInfo", "LibraryNotFoundError", "Text",
           "find_library", "__version__", "EcfError", "PrinterRefused", "LinkError", "NoAnswer",
           "ReplyCutShort"]

ENCODING = "cp850"

_RANGES = {
    "i32": (-(2**31), 2**31 - 1),
    "u32": (0, 2**32 - 1),
    "u8": (0, 255),
    "s8": (-128, 127),
}
_C_TYPES = {
    "i32": ctypes.c_int32,
    "u32": ctypes.c_uint32,
    "u8": ctypes.c_ubyte,
    "s8": ctypes.c_byte,
    "str": ctypes.c_char_p,
    "out": ctypes.c_char_p,
    "outbyte": ctypes.POINTER(ctypes.c_ubyte),
    "info": ctypes.POINTER(ExchangeInfo),
}
_C_RESULTS = {"i32": ctypes.c_int32, "i16": ctypes.c_int16, "text": ctypes.c_char_p,
              "ctext": ctypes.c_char_p}


class Export(NamedTuple):
    """One exported function as the export list declares it."""

    short_name: str  # the method's name
    name: str  # the exported C name
    result: str  # i32, i16, text or ctext
    params: Tuple[Tuple[str, str, int], ...]  # (kind, name, capacity of an "out" buffer)

    @property
    def inputs(self):
        return [p for p in self.params if p[0] in _RANGES or p[0] == "str"]

    @property
    def outputs(self):
        return [p for p in self.params if p not in self.inputs]


EXPORTS: Tuple[Export, ...] = tuple(Export(*spec) for spec in _SPECS)
_LAST_EXCHANGE = next(e for e in EXPORTS if e.name == "ecf_last_exchange")


def _talks_to_the_printer(export: Export) -> bool:
    """The printer commands and queries: not ChangePort, not the extensions."""
    return export.name.startswith("ecf") and not export.name.startswith("ecf_")


class LibraryNotFoundError(FileNotFoundError):
    """libecf is nowhere the binding looks for it."""


def _library_names():
    if os.name == "nt":
        return ["ecf.dll"]
    return ["libecf.so.1", "libecf.so", "libecf.dylib"]


def find_library() -> str:
    """The path of libecf: $ECF_LIBRARY, else beside the package, else the
    system's library search (ctypes.util.find_library("ecf"))."""
    given = os.environ.get("ECF_LIBRARY")
    if given:
        if not Path(given).is_file():
            raise LibraryNotFoundError("libecf not found: ECF_LIBRARY=%s is not a file" % given)
        return given
    here = Path(__file__).resolve().parent
    folders = [here] + [(here / d).resolve() for d in _LIBRARY_DIRS]
    for folder in folders:
        for name in _library_names():
            if (folder / name).is_file():
                return str(folder / name)
    found = ctypes.util.find_library("ecf")
    if found:
        return found
    raise LibraryNotFoundError(
        "libecf not found: ECF_LIBRARY is not set, no %s in %s, and the system's library search "
        '(ctypes.util.find_library("ecf")) found none; install libecf1 or set ECF_LIBRARY to '
        "the library's path" % (" or ".join(_library_names()), ", ".join(map(str, folders)))
    )


def _text(export: Export, name: str, value: Any) -> Optional[bytes]:
    if value is None:
        return None
    if isinstance(value, str):
        try:
            value = value.encode(ENCODING)
        except UnicodeEncodeError as error:
            raise ValueError(
                "%s: %s holds %r, which code page 850 cannot carry"
                % (export.short_name, name, error.object[error.start:error.end])
            ) from None
    elif isinstance(value, (bytes, bytearray)):
        value = bytes(value)
    else:
        raise TypeError("%s: %s must be str or bytes, not %s"
                        % (export.short_name, name, type(value).__name__))
    if b"\0" in value:
        raise ValueError("%s: %s holds a NUL character, which would cut the text short"
                         % (export.short_name, name))
    return value


def _integer(export: Export, name: str, kind: str, value: Any) -> int:
    try:
        number = operator.index(value)
    except TypeError:
        raise TypeError("%s: %s must be an integer, not %s"
                        % (export.short_name, name, type(value).__name__)) from None
    low, high = _RANGES[kind]
    if not low <= number <= high:
        raise ValueError("%s: %s must be in %d..%d, not %d"
                         % (export.short_name, name, low, high, number))
    return number


def _decode(raw: Optional[bytes]) -> str:
    return raw.decode(ENCODING) if raw is not None else ""


class Library(_Exports):
    """libecf loaded with ctypes; each export is a typed method. With
    strict=True a printer command or query that did not go through raises an
    EcfError (see the module's help) instead of returning its result."""

    exports = EXPORTS

    def __init__(self, path: Optional[str] = None, strict: bool = False):
        self.strict = strict
        self.path = path or find_library()
        # 32-bit Windows exports are stdcall.
        loader = ctypes.WinDLL if os.name == "nt" else ctypes.CDLL  # type: ignore[attr-defined]
        self._dll = loader(self.path)
        self._functions = {}

    def _function(self, export: Export):
        function = self._functions.get(export.name)
        if function is None:
            try:
                function = getattr(self._dll, export.name)
            except AttributeError:
                raise AttributeError("%s has no export %s (an older libecf?)"
                                     % (self.path, export.name)) from None
            function.restype = _C_RESULTS[export.result]
            function.argtypes = [_C_TYPES[kind] for kind, _, _ in export.params]
            self._functions[export.name] = function
        return function

    def _call(self, index: int, args: Tuple[Any, ...]) -> Any:
        export = EXPORTS[index]
        given = iter(args)
        values: List[Any] = []
        outputs = {}
        # Every argument is checked before the function is called.
        for kind, name, capacity in export.params:
            if kind == "out":
                outputs[name] = ctypes.create_string_buffer(capacity + 1)
                values.append(outputs[name])
            elif kind == "outbyte":
                outputs[name] = ctypes.c_ubyte(0)
                values.append(ctypes.byref(outputs[name]))
            elif kind == "info":
                outputs[name] = ExchangeInfo(size=ctypes.sizeof(ExchangeInfo))
                values.append(ctypes.byref(outputs[name]))
            elif kind == "str":
                values.append(_text(export, name, next(given)))
            else:
                values.append(_integer(export, name, kind, next(given)))
        result = self._function(export)(*values)
        if self.strict and _talks_to_the_printer(export):
            self._raise_unless_answered(export, result)
        if export.result == "ctext":  # the library's own texts are UTF-8
            return (result or b"").decode("utf-8", "replace")
        if export.result == "text":
            return _decode(result)
        if not outputs:
            return result
        return result, {name: _output(value) for name, value in outputs.items()}

    def _raise_unless_answered(self, export: Export, result: Any) -> None:
        report = ExchangeInfo(size=ctypes.sizeof(ExchangeInfo))
        self._function(_LAST_EXCHANGE)(ctypes.byref(report))
        code = report.result if export.result == "text" else result
        error = judged(export.short_name, code, report, lambda c: self.result_text(c, "en"))
        if error is not None:
            raise error


def _output(value):
    if isinstance(value, ctypes.c_ubyte):
        return value.value
    if isinstance(value, ExchangeInfo):
        return value
    return _decode(value.value)
