#!/usr/bin/env bash
# Runs a receipt day twice, each time against a freshly started simulated
# printer: first REFERENCE (the C program), then PROGRAM (a binding's). Then
# compares what the printer printed and the fiscal memory report each run
# wrote, with the printer clock's dates and times masked.
#
#   compare-day.sh SIM WORKDIR REFERENCE... -- PROGRAM...
#
# SIM is ecf-sim. Each program runs with ECF_COM1 naming the printer's line and
# the report file's path as its last argument, and must exit 0. The report's
# name is not ASCII: a binding must pass a file name in the system's encoding
# (UTF-8: the runs are in the C.UTF-8 locale), not in the printer's. Exit status: 0
# when both runs succeeded and their paper and report are the same, 1 when not
# (with the difference), 2 on bad usage.
set -uo pipefail

usage() { echo "usage: compare-day.sh SIM WORKDIR REFERENCE... -- PROGRAM..." >&2; exit 2; }
[ $# -ge 5 ] || usage
sim=$1 work=$2
shift 2
reference=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do reference+=("$1"); shift; done
[ $# -ge 2 ] && [ ${#reference[@]} -gt 0 ] || usage
shift
program=("$@")

report=relatório.txt
export LC_ALL=C.UTF-8
sim_pid=
stop_printer() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null
        wait "$sim_pid" 2>/dev/null
        sim_pid=
    fi
}
trap stop_printer EXIT

# run_day NAME COMMAND...: the day on a new printer, into $work/NAME.
run_day() {
    local dir=$work/$1 status
    shift
    rm -rf "$dir" && mkdir -p "$dir" || return 1
    "$sim" --link "$dir/com1" --paper "$dir/paper.txt" >"$dir/sim.out" 2>&1 &
    sim_pid=$!
    for _ in $(seq 200); do
        [ -e "$dir/com1" ] && break
        kill -0 "$sim_pid" 2>/dev/null || break
        sleep 0.05
    done
    if [ ! -e "$dir/com1" ]; then
        echo "the simulated printer did not start: $(cat "$dir/sim.out")"
        return 1
    fi
    ECF_COM1=$dir/com1 timeout 120 "$@" "$dir/$report" >"$dir/day.out" 2>&1
    status=$?
    stop_printer
    if [ "$status" -ne 0 ]; then
        echo "$* exited with $status:"
        sed 's/^/  /' "$dir/day.out"
        return 1
    fi
}

# The printer's clock moves between the runs: dd/mm/yy[yy] and hh:mm[:ss] are masked.
masked() {
    sed -E 's#[0-9]{2}/[0-9]{2}/[0-9]{2}([0-9]{2})?#dd/mm/yy#g; s#[0-9]{2}:[0-9]{2}(:[0-9]{2})?#hh:mm#g' "$1"
}

run_day reference "${reference[@]}" || exit 1
run_day program "${program[@]}" || exit 1
same=0
for file in paper.txt "$report"; do
    if [ ! -s "$work/reference/$file" ]; then
        echo "the C day left no $file"
        same=1
    elif ! diff -u --label "C: $file" --label "${program[-1]##*/}: $file" \
            <(masked "$work/reference/$file") <(masked "$work/program/$file"); then
        same=1
    fi
done
[ "$same" -eq 0 ] && echo "the paper ($(wc -l <"$work/program/paper.txt") lines) and the fiscal memory report" \
    "($(wc -c <"$work/program/$report") bytes) are the C day's"
exit "$same"
