#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds a C client against it,
# once through pkg-config and once through find_package(ecf); both must run.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
export ECF_COM4=/nonexistent/ecf-port   # no printer: the client reports "Erro: 1030"
libdir=$(dirname "$(find "$prefix" -name 'libecf.so' | head -n 1)")

PKG_CONFIG_PATH="$libdir/pkgconfig" cc "$here/consumer/main.c" -o "$prefix/with-pkg-config" \
  $(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --cflags --libs ecf)
out=$(LD_LIBRARY_PATH="$libdir" "$prefix/with-pkg-config")
[ "$out" = "Erro: 1030" ] || { echo "pkg-config client printed '$out'"; exit 1; }

cmake -S "$here/consumer" -B "$prefix/consumer-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$prefix/consumer-build" >/dev/null
out=$(LD_LIBRARY_PATH="$libdir" "$prefix/consumer-build/consumer")
[ "$out" = "Erro: 1030" ] || { echo "find_package client printed '$out'"; exit 1; }

for tool in ecf ecf-sim; do
  [ -x "$prefix/bin/$tool" ] || { echo "$tool not installed"; exit 1; }
done
echo "installed package builds clients through pkg-config and find_package"
