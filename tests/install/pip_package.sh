#!/usr/bin/env bash
# Installs the Python binding with pip into a fresh virtual environment, with
# no package index (nothing may come from the network), then runs the
# binding's and the tool's tests with that environment's Python.
#   pip_package.sh PYTHON VENV_DIR
set -euo pipefail
python=$1
venv=$2
source=$(cd "$(dirname "$0")/../../bindings/python" && pwd)

rm -rf "$venv"
"$python" -m venv "$venv"
PIP_NO_INDEX=1 PIP_NO_CACHE_DIR=1 PIP_DISABLE_PIP_VERSION_CHECK=1 \
  "$venv/bin/python" -m pip install --quiet "$source"
cd "$source/tests"
exec "$venv/bin/python" -m unittest -v test_against_simulator
