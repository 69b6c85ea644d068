#!/usr/bin/env bash
# Builds a binding's receipt day and runs it beside the C one (compare-day.sh):
# the printer's paper and the fiscal memory report must be the same.
#
#   test-binding.sh pascal|dotnet|java WORKDIR
#
# Environment: ECF_SIM (ecf-sim), ECF_LIBRARY (libecf.so), ECF_C_DAY (the C
# receipt day, tests/wine/receipt_day.c). Where the language's toolchain is
# missing the test is skipped: one line saying so, exit status 77.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 2 ] || { echo "usage: test-binding.sh pascal|dotnet|java WORKDIR" >&2; exit 2; }
language=$1 work=$2
libdir=$(dirname "$ECF_LIBRARY")
build=$work/build

skip() { echo "skipped: $*"; exit 77; }
fail() { echo "FAILED: $1"; sed 's/^/  /' "$2"; exit 1; }
have() { command -v "$1" >/dev/null; }

rm -rf "$work" && mkdir -p "$build" || exit 1
case $language in
pascal)
    have fpc || skip "the Pascal binding needs fpc (Free Pascal) to be tested"
    # The unit in both of Free Pascal's Delphi-like modes; the day runs once.
    for mode in delphi objfpc; do
        mkdir -p "$build/$mode"
        fpc -M"$mode" -Sew -vw -Fu"$here/pascal" -FU"$build/$mode" -Fl"$libdir" \
            -o"$build/$mode/receipt_day" "$here/pascal/test/receipt_day.pas" >"$build/$mode.log" 2>&1 ||
            fail "fpc -M$mode" "$build/$mode.log"
    done
    echo 'begin end.' >"$build/probe.pas"
    if fpc -Pi386 -Twin32 -FE"$build" "$build/probe.pas" >"$build/win32.log" 2>&1; then
        echo "not run: the Pascal day for 32-bit Windows (fpc builds it; this test has no 32-bit Wine run)"
    else
        echo "skipped: the Pascal day for 32-bit Windows: this fpc cannot build for i386-win32" \
             "(Debian ships no i386-win32 cross compiler or units)"
    fi
    program=(env LD_LIBRARY_PATH="$libdir" "$build/delphi/receipt_day")
    ;;
dotnet)
    have mcs && have mono || skip "the C# binding needs mcs and mono (mono-mcs, mono-runtime) to be tested"
    mcs -warnaserror -codepage:utf8 -out:"$build/ReceiptDay.exe" "$here/dotnet/Ecf.cs" \
        "$here/dotnet/Printer.cs" "$here/dotnet/test/ReceiptDay.cs" >"$build/mcs.log" 2>&1 ||
        fail "mcs" "$build/mcs.log"
    program=(env LD_LIBRARY_PATH="$libdir" mono "$build/ReceiptDay.exe")
    ;;
java)
    jna=/usr/share/java/jna.jar
    have javac && have java && [ -f "$jna" ] ||
        skip "the Java binding needs javac, java and $jna (openjdk-17-jdk-headless, libjna-java) to be tested"
    javac -encoding UTF-8 -Werror -Xlint:all --release 8 -cp "$jna" -d "$build/classes" \
        "$here"/java/src/ecf/*.java "$here/java/test/ReceiptDay.java" >"$build/javac.log" 2>&1 ||
        fail "javac" "$build/javac.log"
    program=(java -Djna.library.path="$libdir" -cp "$build/classes:$jna" ReceiptDay)
    ;;
*)
    echo "unknown binding '$language' (pascal, dotnet, java)" >&2
    exit 2
    ;;
esac
exec "$here/compare-day.sh" "$ECF_SIM" "$work" "$ECF_C_DAY" -- "${program[@]}"
