"""Python binding of libecf, the driver library for the ECF fiscal printer.

    import ecf
    printer = ecf.Library()                 # finds libecf (or ECF_LIBRARY=path)
    printer.ChangePort(0)                    # COM1, i.e. $ECF_COM1: a device path,
                                             # or tcp://HOST:PORT, rfc2217://HOST:PORT
    status = printer.VendaItem("ARROZ", "1234", 7)
    text = printer.StatusCupom(0)            # text forms return str
    result, fields = printer.ParamStatusCup()   # out-parameters come back as a dict

Every export of the library is a method, named without the "ecf" prefix (the
extensions without "ecf_": printer.version()), but for ecf_last_exchange,
whose struct this binding does not map. The
signatures are read from the library's export list (ecf.exports), the same
list the C header and the command-line tool are checked against. Texts go to
and come from the printer in code page 850.
"""

import ctypes
import ctypes.util
import os
import sys
from pathlib import Path

__all__ = ["Library", "Export", "read_exports", "find_exports_file", "find_library"]

ENCODING = "cp850"

_ARG_TYPES = {
    "i32": ctypes.c_int32,
    "u32": ctypes.c_uint32,
    "u8": ctypes.c_ubyte,
    "s8": ctypes.c_byte,
    "str": ctypes.c_char_p,
    "outbyte": ctypes.POINTER(ctypes.c_ubyte),
}
_RESULT_TYPES = {
    "i32": ctypes.c_int32,
    "i16": ctypes.c_int16,
    "text": ctypes.c_char_p,
    "ctext": ctypes.c_char_p,
}
_RANGES = {
    "i32": (-(2**31), 2**31 - 1),
    "u32": (0, 2**32 - 1),
    "u8": (0, 255),
    "s8": (-128, 127),
}


class Export:
    """One exported function as the export list declares it."""

    def __init__(self, name, result, params):
        self.name = name
        self.result = result
        self.params = params  # list of (kind, name, capacity)

    @property
    def short_name(self):
        for prefix in ("ecf_", "ecf"):
            if self.name.startswith(prefix):
                return self.name[len(prefix):]
        return self.name

    @property
    def bindable(self):
        return all(kind in _ARG_TYPES or kind == "out" for kind, _, _ in self.params)

    @property
    def inputs(self):
        return [p for p in self.params if not p[0].startswith("out")]

    @property
    def outputs(self):
        return [p for p in self.params if p[0].startswith("out")]


def read_exports(path):
    """Parses the export list: one export per line, 'name result kind:name...'."""
    exports = []
    for line in Path(path).read_text().splitlines():
        line = line.strip()
        if not line or line.startswith("#") or line.startswith("@"):
            continue
        fields = line.split()
        params = []
        for arg in fields[2:]:
            kind, pname = arg.split(":", 1)
            capacity = 0
            if kind.startswith("out") and kind != "outbyte":
                capacity = int(kind[3:])
                kind = "out"
            params.append((kind, pname, capacity))
        exports.append(Export(fields[0], fields[1], params))
    return exports


def find_exports_file():
    here = Path(__file__).resolve().parent
    candidates = [
        os.environ.get("ECF_EXPORTS"),
        here / "ecf.exports",
        here.parents[2] / "exports" / "ecf.exports",
        Path(sys.prefix) / "share" / "ecf" / "ecf.exports",
        Path("/usr/local/share/ecf/ecf.exports"),
        Path("/usr/share/ecf/ecf.exports"),
    ]
    for c in candidates:
        if c and Path(c).is_file():
            return Path(c)
    raise FileNotFoundError("ecf.exports not found; set ECF_EXPORTS")


def find_library():
    here = Path(__file__).resolve().parent
    candidates = [
        os.environ.get("ECF_LIBRARY"),
        here / "libecf.so",
        here.parents[2] / "build" / "src" / "libecf.so",
        ctypes.util.find_library("ecf"),
    ]
    for c in candidates:
        if c and (Path(c).is_file() or not os.sep in str(c)):
            return str(c)
    raise FileNotFoundError("libecf not found; set ECF_LIBRARY")


def _encode(value):
    if value is None:
        return None
    if isinstance(value, bytes):
        return value
    return str(value).encode(ENCODING)


def _decode(raw):
    return raw.decode(ENCODING) if raw is not None else ""


class Library:
    """libecf loaded with ctypes; each export is a typed method."""

    def __init__(self, path=None, exports=None):
        self._dll = ctypes.CDLL(path or find_library())
        # Exports with an argument kind that has no binding here (the exchange
        # report's struct) are left out.
        self.exports = [e for e in read_exports(exports or find_exports_file()) if e.bindable]
        for export in self.exports:
            setattr(self, export.short_name, self._bind(export))

    def _bind(self, export):
        function = getattr(self._dll, export.name)
        function.restype = _RESULT_TYPES[export.result]
        function.argtypes = [
            ctypes.c_char_p if kind == "out" else _ARG_TYPES[kind] for kind, _, _ in export.params
        ]

        def call(*args):
            inputs = export.inputs
            if len(args) != len(inputs):
                raise TypeError(
                    "%s takes %d arguments (%s), %d given"
                    % (export.short_name, len(inputs), ", ".join(p[1] for p in inputs), len(args))
                )
            values, buffers = [], {}
            given = iter(args)
            for kind, pname, capacity in export.params:
                if kind == "out":
                    buffers[pname] = ctypes.create_string_buffer(capacity + 1)
                    values.append(buffers[pname])
                elif kind == "outbyte":
                    buffers[pname] = ctypes.c_ubyte(0)
                    values.append(ctypes.byref(buffers[pname]))
                elif kind == "str":
                    values.append(_encode(next(given)))
                else:
                    value = int(next(given))
                    low, high = _RANGES[kind]
                    if not low <= value <= high:
                        raise ValueError("%s: %s must be in %d..%d" % (export.short_name, pname, low, high))
                    values.append(value)
            result = function(*values)
            if export.result == "ctext":
                return result.decode("utf-8") if result is not None else ""
            if export.result == "text":
                return _decode(result)
            if not buffers:
                return result
            outputs = {}
            for pname, buffer in buffers.items():
                outputs[pname] = buffer.value if isinstance(buffer, ctypes.c_ubyte) else _decode(buffer.value)
            return result, outputs

        call.__name__ = export.short_name
        call.__doc__ = "%s(%s) -> %s" % (
            export.short_name,
            ", ".join("%s: %s" % (p[1], p[0]) for p in export.inputs),
            export.result,
        )
        return call
