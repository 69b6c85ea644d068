"""Writes ecf/_exports.py from the library's export list.

    python3 generate.py EXPORT_LIST OUTPUT --version VERSION

The module holds the list as data (EXPORTS) and a class of typed methods, one
per export, each with a docstring naming its arguments. The package's runtime
(ecf/__init__.py) does the calling; the list itself is never read at run time.
Used by the CMake build and by the package's build backend (ecf_build.py).
"""

import argparse
import keyword
import os
import sys
from pathlib import Path

# kind -> (Python type hint, what the docstring says it is)
_INPUTS = {
    "i32": ("int", "integer, -2147483648..2147483647"),
    "u32": ("int", "integer, 0..4294967295"),
    "u8": ("int", "integer, 0..255"),
    "s8": ("int", "integer, -128..127"),
    "str": ("Text", "text: str (sent in code page 850) or bytes; None is sent as empty"),
}
_OUTPUTS = {"out": "str", "outbyte": "int", "info": "ExchangeInfo"}
_RESULTS = {
    "i32": ("int", "0, the printer's status byte, or an error code"),
    "i16": ("int", "0, the printer's status byte, or an error code"),
    "text": ("str", "the reply's fields laid end to end, or \"Erro: <code>\""),
    "ctext": ("str", "a text of the library"),
}


class ListError(ValueError):
    """A line of the export list this generator cannot turn into a method."""


def method_name(c_name):
    """ecfVendaItem -> VendaItem, ecf_version -> version, ChangePort -> ChangePort."""
    for prefix in ("ecf_", "ecf"):
        if c_name.startswith(prefix) and len(c_name) > len(prefix):
            return c_name[len(prefix):]
    return c_name


def _python_name(name):
    return name + "_" if keyword.iskeyword(name) else name


def read_list(text, origin="the export list"):
    """[(method, c_name, result, ((kind, name, capacity), ...)), ...]"""
    exports = []
    for number, line in enumerate(text.splitlines(), 1):
        line = line.strip()
        if not line or line[0] in "#@":
            continue
        fields = line.split()
        where = "%s:%d" % (origin, number)
        if len(fields) < 2 or fields[1] not in _RESULTS:
            raise ListError("%s: unknown result kind in %r" % (where, line))
        params = []
        for arg in fields[2:]:
            kind, _, name = arg.partition(":")
            capacity = 0
            if kind.startswith("out") and kind[3:].isdigit():
                kind, capacity = "out", int(kind[3:])
            if kind not in _INPUTS and kind not in _OUTPUTS or not name.isidentifier():
                raise ListError("%s: cannot bind argument %r" % (where, arg))
            params.append((kind, _python_name(name), capacity))
        exports.append((method_name(fields[0]), fields[0], fields[1], tuple(params)))
    return exports


def _returns(result, outputs):
    """The return's type hint, and the docstring's lines that describe it."""
    hint, meaning = _RESULTS[result]
    if not outputs:
        return hint, ["%s: %s." % (hint, meaning)]
    types = sorted({_OUTPUTS[kind] for kind, _, _ in outputs})
    value = types[0] if len(types) == 1 else "Union[%s]" % ", ".join(types)
    lines = ["(result, outputs): result is %s;" % meaning, "outputs holds the out-parameters by name:"]
    lines += ["    %s: %s" % (name, _OUTPUTS[kind]) for kind, name, _ in outputs]
    return "Tuple[%s, Dict[str, %s]]" % (hint, value), lines


def _method(index, export):
    name, c_name, result, params = export
    inputs = [p for p in params if p[0] in _INPUTS]
    outputs = [p for p in params if p[0] in _OUTPUTS]
    signature = "".join(", %s: %s" % (n, _INPUTS[k][0]) for k, n, _ in inputs)
    hint, returns = _returns(result, outputs)
    lines = [
        "    def %s(self%s) -> %s:" % (name, signature, hint),
        '        """Calls %s(%s).' % (c_name, ", ".join(n for _, n, _ in params)),
        "",
    ]
    if inputs:
        lines.append("        Args:")
        lines += ["            %s: %s" % (n, _INPUTS[k][1]) for k, n, _ in inputs]
        lines.append("")
    lines.append("        Returns:")
    lines += ["            " + line for line in returns]
    lines.append('        """')
    lines.append("        return self._call(%d, (%s))" % (index, "".join(n + ", " for _, n, _ in inputs)))
    return "\n".join(lines)


def generate(list_text, version, origin="the export list"):
    exports = read_list(list_text, origin)
    out = [
        "# Generated from the export list by backend/generate.py: do not edit.",
        "from typing import Any, Dict, Tuple, Union  # noqa: F401",
        "",
        "from ._types import ExchangeInfo, Text  # noqa: F401",
        "",
        "__version__ = %r" % version,
        "",
        "# (method, exported name, result kind, ((kind, argument, capacity), ...))",
        "EXPORTS = (",
    ]
    out += ["    %r," % (export,) for export in exports]
    out += [
        ")",
        "",
        "",
        "class Exports:",
        '    """One method per export of the library."""',
        "",
        "    def _call(self, index: int, args: Tuple[Any, ...]) -> Any:",
        "        raise NotImplementedError",
    ]
    for index, export in enumerate(exports):
        out += ["", _method(index, export)]
    return "\n".join(out) + "\n"


def write_if_changed(path, text):
    """Writes through a temporary file, and only when the text changed."""
    path = Path(path)
    if path.is_file() and path.read_text(encoding="utf-8") == text:
        return
    path.parent.mkdir(parents=True, exist_ok=True)
    temporary = path.with_name(path.name + ".tmp")
    temporary.write_text(text, encoding="utf-8")
    os.replace(temporary, path)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("export_list")
    parser.add_argument("output")
    parser.add_argument("--version", required=True)
    args = parser.parse_args(argv)
    try:
        text = Path(args.export_list).read_text(encoding="utf-8")
        write_if_changed(args.output, generate(text, args.version, args.export_list))
    except (OSError, ListError) as error:
        print("generate.py: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
