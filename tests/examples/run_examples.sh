#!/bin/sh
# Runs the example programs against the simulated printer: each must end with
# status 0, the paper must show the receipt and the report the owner.
# Usage: run_examples.sh ECF-SIM EXAMPLES-DIR
set -eu
sim=$1
examples=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/ecf-examples.XXXXXX")
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

"$sim" --link "$work/com1" --paper "$work/paper.txt" >"$work/sim.out" 2>&1 &
pid=$!
tries=0
until [ -e "$work/com1" ]; do
  tries=$((tries + 1))
  [ "$tries" -le 200 ] || { echo "the simulator did not start"; cat "$work/sim.out"; exit 1; }
  sleep 0.05
done
export ECF_COM1="$work/com1"

"$examples/receipt"
"$examples/status"
"$examples/fiscal_memory" "$work/report.txt"

grep -q "FEIJAO CARIOCA" "$work/paper.txt" || { echo "the receipt is not on the paper"; exit 1; }
grep -q "11.222.333/0001-81" "$work/report.txt" || { echo "the owner is not in the report"; exit 1; }
echo "examples: all three ran against the simulated printer"
