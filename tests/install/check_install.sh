#!/usr/bin/env bash
# Installs the build into a temporary prefix, as a user would, and uses it from
# there with nothing pointing at it (no LD_LIBRARY_PATH): a C client built
# through pkg-config and one through find_package(ecf), the tools, and the
# Python binding. No file may be installed twice.
#   check_install.sh BUILD_DIR [PYTHON]
set -euo pipefail
build=$1
python=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "install: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$prefix/install.log"
twice=$(sed -n 's/^-- [A-Za-z-]*: //p' "$prefix/install.log" | sort | uniq -d)
[ -z "$twice" ] || fail "installed twice: $twice"
export ECF_COM4=/nonexistent/ecf-port   # no printer: the clients report "Erro: 1030"
libdir=$(dirname "$(find "$prefix" -name 'libecf.so' | head -n 1)")

export PKG_CONFIG_PATH="$libdir/pkgconfig"
cc "$here/consumer/main.c" -o "$prefix/with-pkg-config" $(pkg-config --cflags --libs ecf) \
  -Wl,-rpath,"$libdir"
out=$("$prefix/with-pkg-config")
[ "$out" = "Erro: 1030" ] || fail "pkg-config client printed '$out'"

cmake -S "$here/consumer" -B "$prefix/consumer-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$prefix/consumer-build" >/dev/null
out=$("$prefix/consumer-build/consumer")
[ "$out" = "Erro: 1030" ] || fail "find_package client printed '$out'"

unset LD_LIBRARY_PATH
"$prefix/bin/ecf" --help >/dev/null || fail "ecf --help does not run from the prefix"
"$prefix/bin/ecf-sim" --help >/dev/null || fail "ecf-sim --help does not run from the prefix"
out=$("$prefix/bin/ecf" --port COM4 StatusImp || true)
case $out in *1030*) ;; *) fail "the installed ecf printed '$out'" ;; esac

if [ -n "$python" ]; then
  package=$(dirname "$(find "$prefix" -path '*/ecf/__init__.py' | head -n 1)")
  out=$(cd "$prefix" && env -u ECF_LIBRARY PYTHONPATH="$(dirname "$package")" "$python" -c \
    'import ecf; lib = ecf.Library(); lib.ChangePort(3); print(lib.StatusImp())')
  [ "$out" = "Erro: 1030" ] || fail "the installed Python binding printed '$out'"
fi
echo "the install into a prefix serves C clients, the tools and the Python binding"
