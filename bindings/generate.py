#!/usr/bin/env python3
"""Writes the declarations of every export for Pascal, C#, Java and Visual Basic.

    bindings/generate.py            rewrite the four files from the export list
    bindings/generate.py --check    exit 1 when a file differs from what the
                                    list gives (a new export not generated yet)

The declarations come from exports/ecf.exports and, for the exchange report's
struct and its step codes, from include/ecf_ext.h; each fills the placeholder
lines (@NAME@) of its template in bindings/templates, which holds the rest of
the file. The files are checked in, so that users take them as they are:

    bindings/pascal/ecf.pas          unit ecf
    bindings/dotnet/Ecf.cs           namespace Ecf, class Native
    bindings/java/src/ecf/EcfLibrary.java   the JNA interface
    bindings/vb/ecf.bas              module ecf
"""

import argparse
import itertools
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
EXPORTS = ROOT / "exports" / "ecf.exports"
EXT_HEADER = ROOT / "include" / "ecf_ext.h"


class Param:
    def __init__(self, kind, name):
        self.capacity = 0
        if re.fullmatch(r"out\d+", kind):
            self.capacity = int(kind[3:])
            kind = "out"
        self.kind = kind
        self.name = name

    @property
    def is_file_name(self):
        """A file's path: C opens it, so it goes in the system's encoding, not the printer's."""
        return self.kind == "str" and (self.name == "path" or self.name.endswith("_file"))


class Export:
    def __init__(self, name, result, params, family):
        self.name = name
        self.result = result
        self.params = params
        self.family = family

    def buffers(self):
        return [p for p in self.params if p.kind == "out"]


KINDS = {"i32", "u32", "u8", "s8", "str", "out", "outbyte", "info"}
RESULTS = {"i32", "i16", "text", "ctext"}


def read_exports(path=EXPORTS):
    exports, family = [], ""
    for number, line in enumerate(path.read_text().splitlines(), 1):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        if line.startswith("@"):
            family = line[1:]
            continue
        name, result, *args = line.split()
        params = [Param(*arg.split(":", 1)) for arg in args]
        unknown = [p.kind for p in params if p.kind not in KINDS]
        if result not in RESULTS or unknown:
            sys.exit("%s:%d: unknown kind %s" % (path, number, unknown or [result]))
        exports.append(Export(name, result, params, family))
    return exports


def read_exchange_info(path=EXT_HEADER):
    """The fields of ecf_exchange_info and the values of ecf_step, as declared."""
    text = path.read_text()
    body = re.search(r"typedef struct ecf_exchange_info \{(.*?)\} ecf_exchange_info;", text, re.S)
    steps = re.search(r"typedef enum ecf_step \{(.*?)\} ecf_step;", text, re.S)
    if not body or not steps:
        sys.exit("%s: ecf_exchange_info or ecf_step not found" % path)
    fields = [(ctype, name, int(length or 0)) for ctype, name, length in
              re.findall(r"^\s*(uint32_t|int32_t|char)\s+(\w+)(?:\[(\d+)\])?;", body.group(1), re.M)]
    values = [(n, int(v)) for n, v in re.findall(r"(ECF_STEP_\w+)\s*=\s*(\d+)", steps.group(1))]
    return fields, values


def pascal_case(name):
    return "".join(part[:1].upper() + part[1:] for part in name.split("_"))


def size_name(export, param):
    """The constant giving an output buffer's minimum size, the same in every language."""
    return "%s_%s_size" % (export.name, param.name)


def families(exports):
    """(family, its exports), in the list's order."""
    for family, members in itertools.groupby(exports, key=lambda e: e.family):
        yield family, list(members)


FAMILY_TITLES = {
    "link": "Port selection",
    "receipt": "Receipts, non-fiscal documents and free lines",
    "program": "Readings, clock, header and tables",
    "status": "Status queries: text forms and parameter forms",
    "fiscaldata": "Fiscal memory, X reading over the line, taxpayer numbers",
    "cheque": "Cheques",
    "ext": "Extensions: the exchange report, the trace, the version, result texts",
}


def family_title(family):
    return FAMILY_TITLES.get(family, family)


# ---- Free Pascal / Delphi --------------------------------------------------

PASCAL_RESERVED = {
    "and", "array", "as", "asm", "begin", "case", "class", "const", "constructor", "destructor",
    "div", "do", "downto", "else", "end", "except", "exports", "file", "finalization", "finally",
    "for", "function", "goto", "if", "implementation", "in", "inherited", "initialization",
    "inline", "interface", "is", "label", "library", "mod", "nil", "not", "object", "of", "on",
    "operator", "or", "out", "packed", "procedure", "program", "property", "raise", "record",
    "repeat", "resourcestring", "result", "self", "set", "shl", "shr", "string", "then",
    "threadvar", "to", "try", "type", "unit", "until", "uses", "var", "while", "with", "xor",
}
PASCAL_TYPES = {
    "i32": "LongInt", "u32": "LongWord", "u8": "Byte", "s8": "ShortInt", "i16": "SmallInt",
    "str": "PAnsiChar", "out": "PAnsiChar", "text": "PAnsiChar", "ctext": "PAnsiChar",
    "outbyte": "Byte", "info": "TEcfExchangeInfo",
}
# One output byte and the exchange report are var parameters: the address, as
# in C, in every Delphi and Free Pascal.
PASCAL_VAR_KINDS = {"outbyte", "info"}
PASCAL_FIELD_TYPES = {"uint32_t": "LongWord", "int32_t": "LongInt", "char": "AnsiChar"}


def pascal_param(param):
    name = param.name + "_" if param.name.lower() in PASCAL_RESERVED else param.name
    var = "var " if param.kind in PASCAL_VAR_KINDS else ""
    return "%s%s: %s" % (var, name, PASCAL_TYPES[param.kind])


def pascal(exports, fields, steps):
    declarations = []
    for family, members in families(exports):
        declarations.append("{ %s }" % family_title(family))
        for export in members:
            args = "; ".join(pascal_param(p) for p in export.params)
            declarations.append("function %s%s: %s;" % (export.name, "(%s)" % args if args else "",
                                                        PASCAL_TYPES[export.result]))
            declarations.append("  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external EcfLibraryName;")
        declarations.append("")
    return {
        "STEPS": ["%s = %d;" % step for step in steps],
        "SIZES": ["%s = %d;" % (size_name(e, p), p.capacity) for e in exports for p in e.buffers()],
        "EXCHANGE_INFO_FIELDS": [
            "%s: %s;" % (name, "array[0..%d] of %s" % (length - 1, PASCAL_FIELD_TYPES[ctype])
                         if length else PASCAL_FIELD_TYPES[ctype])
            for ctype, name, length in fields
        ],
        "DECLARATIONS": declarations[:-1],
    }


# ---- C# / .NET -------------------------------------------------------------

CSHARP_KEYWORDS = {
    "abstract", "as", "base", "bool", "break", "byte", "case", "catch", "char", "checked",
    "class", "const", "continue", "decimal", "default", "delegate", "do", "double", "else",
    "enum", "event", "explicit", "extern", "false", "finally", "fixed", "float", "for",
    "foreach", "goto", "if", "implicit", "in", "int", "interface", "internal", "is", "lock",
    "long", "namespace", "new", "null", "object", "operator", "out", "override", "params",
    "private", "protected", "public", "readonly", "ref", "return", "sbyte", "sealed", "short",
    "sizeof", "stackalloc", "static", "string", "struct", "switch", "this", "throw", "true",
    "try", "typeof", "uint", "ulong", "unchecked", "unsafe", "ushort", "using", "virtual",
    "void", "volatile", "while",
}
CSHARP_PARAMS = {
    "i32": "int", "u32": "uint", "u8": "byte", "s8": "sbyte",
    "str": "[MarshalAs(UnmanagedType.CustomMarshaler, MarshalTypeRef = typeof(Cp850String))] string",
    "out": "[In, Out] byte[]", "outbyte": "out byte", "info": "ref ExchangeInfo",
}
CSHARP_FILE_NAME = "[MarshalAs(UnmanagedType.LPStr)] string"
CSHARP_RESULTS = {"i32": "int", "i16": "short", "text": "string", "ctext": "string"}
CSHARP_TEXT_COOKIES = {"text": "cp850", "ctext": "utf-8"}
CSHARP_FIELD_TYPES = {"uint32_t": "uint", "int32_t": "int"}


def csharp_param(param):
    name = "@" + param.name if param.name in CSHARP_KEYWORDS else param.name
    return "%s %s" % (CSHARP_FILE_NAME if param.is_file_name else CSHARP_PARAMS[param.kind], name)


def csharp_string_literal(text):
    return '"' + "".join(c if 0x20 <= ord(c) < 0x7F and c not in '"\\' else "\\u%04X" % ord(c)
                         for c in text) + '"'


def csharp(exports, fields, steps):
    upper_half = bytes(range(0x80, 0x100)).decode("cp850")
    chunks = [csharp_string_literal(upper_half[i:i + 32]) for i in range(0, 128, 32)]
    declarations = []
    for family, members in families(exports):
        declarations += ["", "// %s" % family_title(family)]
        for export in members:
            declarations.append("[DllImport(Library, CallingConvention = CallingConvention.StdCall,"
                                " ExactSpelling = true)]")
            if export.result in CSHARP_TEXT_COOKIES:
                declarations.append("[return: MarshalAs(UnmanagedType.CustomMarshaler, MarshalTypeRef ="
                                    ' typeof(ModuleText), MarshalCookie = "%s")]'
                                    % CSHARP_TEXT_COOKIES[export.result])
            declarations.append("public static extern %s %s(%s);" % (
                CSHARP_RESULTS[export.result], export.name, ", ".join(csharp_param(p) for p in export.params)))
    return {
        "CP850_UPPER_HALF": [c + " +" for c in chunks[:-1]] + [chunks[-1] + ";"],
        "EXCHANGE_INFO_FIELDS": [
            "[MarshalAs(UnmanagedType.ByValArray, SizeConst = %d)] public byte[] %s;" % (length, name)
            if length else "public %s %s;" % (CSHARP_FIELD_TYPES[ctype], name)
            for ctype, name, length in fields
        ],
        "EXCHANGE_INFO_ARRAYS": ["info.%s = new byte[%d];" % (name, length)
                                 for _, name, length in fields if length],
        "STEPS": ["public const uint %s = %d;" % step for step in steps],
        "SIZES": ["public const int %s = %d;" % (size_name(e, p), p.capacity)
                  for e in exports for p in e.buffers()],
        "DECLARATIONS": declarations[1:],
    }


# ---- Java (JNA) ------------------------------------------------------------

JAVA_TYPES = {
    "i32": "int", "u32": "int", "u8": "byte", "s8": "byte", "i16": "short", "str": "String",
    "out": "byte[]", "outbyte": "ByteByReference", "info": "ExchangeInfo", "text": "String",
    "ctext": "Pointer",
}
JAVA_FIELD_TYPES = {"uint32_t": "int", "int32_t": "int"}


def java(exports, fields, steps):
    declarations = []
    for family, members in families(exports):
        declarations += ["", "// %s" % family_title(family)]
        for export in members:
            args = ", ".join("%s %s" % ("FileName" if p.is_file_name else JAVA_TYPES[p.kind], p.name)
                             for p in export.params)
            declarations.append("%s %s(%s);" % (JAVA_TYPES[export.result], export.name, args))
    return {
        "EXCHANGE_INFO_FIELD_NAMES": ", ".join('"%s"' % name for _, name, _ in fields),
        "EXCHANGE_INFO_FIELDS": [
            "public byte[] %s = new byte[%d];" % (name, length) if length
            else "public %s %s;" % (JAVA_FIELD_TYPES[ctype], name)
            for ctype, name, length in fields
        ],
        "STEPS": ["int %s = %d;" % step for step in steps],
        "SIZES": ["int %s = %d;" % (size_name(e, p), p.capacity) for e in exports for p in e.buffers()],
        "DECLARATIONS": declarations[1:],
    }


# ---- Visual Basic 6 / VBA --------------------------------------------------

VB_PREFIX = {"i32": "l", "u32": "l", "u8": "b", "s8": "b", "str": "s", "out": "out", "outbyte": "out",
             "info": ""}
VB_TYPES = {"i32": "Long", "u32": "Long", "u8": "Byte", "s8": "Byte", "str": "String",
            "out": "String", "outbyte": "Byte", "info": "EcfExchangeInfo", "i16": "Integer"}
VB_FIELD_TYPES = {"uint32_t": "Long", "int32_t": "Long"}


def vb_param(param):
    passing = "ByRef" if param.kind in ("outbyte", "info") else "ByVal"
    name = VB_PREFIX[param.kind] + pascal_case(param.name)
    return "%s %s As %s" % (passing, name, VB_TYPES[param.kind])


def vb_declarations(exports, vba7):
    lines = []
    declare = "Public Declare PtrSafe Function" if vba7 else "Public Declare Function"
    pointer = "LongPtr" if vba7 else "Long"
    for family, members in families(exports):
        lines.append("' %s" % family_title(family))
        for export in members:
            result = pointer if export.result in ("text", "ctext") else VB_TYPES[export.result]
            args = ", ".join(vb_param(p) for p in export.params)
            lines.append('%s %s Lib "ecf.dll" (%s) As %s' % (declare, export.name, args, result))
    return lines


def vb(exports, fields, steps):
    return {
        "STEPS": ["Public Const %s As Long = %d" % step for step in steps],
        "SIZES": ["Public Const %s As Long = %d" % (size_name(e, p), p.capacity)
                  for e in exports for p in e.buffers()],
        "EXCHANGE_INFO_FIELDS": [
            "%s(0 To %d) As Byte" % (pascal_case(name), length - 1) if length
            else "%s As %s" % (pascal_case(name), VB_FIELD_TYPES[ctype])
            for ctype, name, length in fields
        ],
        "DECLARATIONS_VBA7": vb_declarations(exports, vba7=True),
        "DECLARATIONS_VB6": vb_declarations(exports, vba7=False),
    }


# ---- Templates -------------------------------------------------------------

PLACEHOLDER = re.compile(r"@([A-Z0-9_]+)@")


def fill(template, values):
    """The template with each line that is only a placeholder replaced by the
    value's lines, indented as the placeholder was, and each placeholder within
    a line by the value's text."""
    out = []
    for line in template.splitlines():
        whole = re.fullmatch(r"(\s*)@([A-Z0-9_]+)@", line)
        if whole:
            out += [whole.group(1) + v if v else "" for v in values[whole.group(2)]]
        else:
            out.append(PLACEHOLDER.sub(lambda m: values[m.group(1)], line))
    return "\n".join(out) + "\n"


# output, template, the values of its placeholders, line end
OUTPUTS = [
    ("pascal/ecf.pas", "ecf.pas.in", pascal, "\n"),
    ("dotnet/Ecf.cs", "Ecf.cs.in", csharp, "\n"),
    ("java/src/ecf/EcfLibrary.java", "EcfLibrary.java.in", java, "\n"),
    ("vb/ecf.bas", "ecf.bas.in", vb, "\r\n"),  # VB modules are CR LF text
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare the files with what the list gives, write nothing")
    options = parser.parse_args()
    exports = read_exports()
    fields, steps = read_exchange_info()
    here = Path(__file__).resolve().parent
    stale = []
    for relative, template, values, line_end in OUTPUTS:
        path = here / relative
        text = fill((here / "templates" / template).read_text(), values(exports, fields, steps))
        text = text.replace("\n", line_end).encode("utf-8")
        if path.exists() and path.read_bytes() == text:
            continue
        if options.check:
            stale.append(relative)
        else:
            partial = path.with_name(path.name + ".new")
            partial.write_bytes(text)
            partial.replace(path)
            print("wrote bindings/%s" % relative)
    if stale:
        print("bindings out of date with exports/ecf.exports or bindings/templates: %s\n"
              "run bindings/generate.py" % ", ".join("bindings/" + s for s in stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
