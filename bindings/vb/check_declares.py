#!/usr/bin/env python3
"""Checks that ecf.bas declares every export of the export list, in both of its
blocks (VBA7 and VB6), with the arguments and result that pass the C types:
how each argument is passed (ByVal, ByRef) and as what, one for one.

    check_declares.py [ecf.bas]
"""

import re
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent))
from generate import read_exports  # noqa: E402

# How Visual Basic passes each kind of the list: a string's address (its ANSI
# copy, written back after the call for outputs), a 32-bit or 8-bit value, or
# the address of a byte or of the exchange report.
ARGUMENTS = {
    "str": ("ByVal", "String"),
    "out": ("ByVal", "String"),
    "i32": ("ByVal", "Long"),
    "u32": ("ByVal", "Long"),
    "u8": ("ByVal", "Byte"),
    "s8": ("ByVal", "Byte"),
    "outbyte": ("ByRef", "Byte"),
    "info": ("ByRef", "EcfExchangeInfo"),
}
RESULTS = {"i32": "Long", "i16": "Integer", "text": "pointer", "ctext": "pointer"}
POINTER = {"VBA7": "LongPtr", "VB6": "Long"}

DECLARE = re.compile(r'^Public Declare (PtrSafe )?Function (\w+) Lib "ecf\.dll" \((.*)\) As (\w+)$')


def blocks(text):
    """The declarations of the #If VBA7 block and of its #Else block."""
    found = {"VBA7": {}, "VB6": {}}
    block = None
    for line in text.splitlines():
        if line == "#If VBA7 Then" and not found["VBA7"]:
            block = "VBA7"
        elif line == "#Else" and block == "VBA7":
            block = "VB6"
        elif line == "#End If":
            block = None
        match = DECLARE.match(line)
        if not match:
            continue
        safe, name, args, result = match.groups()
        if block is None or bool(safe) != (block == "VBA7") or name in found[block]:
            raise SystemExit("misplaced or repeated declaration: " + line)
        params = []
        for arg in args.split(", ") if args else []:
            passing, _name, _as, vb_type = arg.split()
            params.append((passing, vb_type))
        found[block][name] = (params, result)
    return found


def problems(exports, found):
    for block, declared in found.items():
        listed = {e.name for e in exports}
        for name in sorted(listed - set(declared)):
            yield "%s: %s is not declared" % (block, name)
        for name in sorted(set(declared) - listed):
            yield "%s: %s is not in the export list" % (block, name)
        for export in exports:
            if export.name not in declared:
                continue
            params, result = declared[export.name]
            want = [ARGUMENTS[p.kind] for p in export.params]
            if params != want:
                yield "%s: %s takes %s, declared %s" % (block, export.name, want, params)
            want_result = RESULTS[export.result].replace("pointer", POINTER[block])
            if result != want_result:
                yield "%s: %s returns %s, declared %s" % (block, export.name, want_result, result)


def main():
    module = Path(sys.argv[1]) if len(sys.argv) > 1 else HERE / "ecf.bas"
    exports = read_exports()
    found = blocks(module.read_bytes().decode("utf-8"))
    errors = list(problems(exports, found))
    for error in errors:
        print(error, file=sys.stderr)
    if errors:
        return 1
    print("%s declares the %d exports in both blocks" % (module.name, len(exports)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
