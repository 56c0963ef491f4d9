#!/usr/bin/env bash
# A capture from the virtual Hardware Module on the command line: starts
# `zov-cli simulate`, measures a small 12AX7 family (0 to -4 V in 1 V steps)
# and prints it as TDF text.
#
# Usage: scripts/demo-capture.sh BUILD_DIR [TUBE]
set -euo pipefail

build_dir=${1:?usage: $0 BUILD_DIR [TUBE]}
tube=${2:-12AX7}
cli="$build_dir/src/app/cli/zov-cli"
[ -x "$cli" ] || { echo "$0: $cli not found; build first" >&2; exit 1; }

work=$(mktemp -d)
sim_pid=
cleanup() {
    if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
        kill -TERM "$sim_pid"
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# The simulator prints its device path as the first line of standard output.
mkfifo "$work/path"
"$cli" simulate --no-pacing --tube "$tube" >"$work/path" 2>"$work/simulate.log" &
sim_pid=$!
read -r -t 10 port <"$work/path" || { echo "$0: simulator did not start" >&2; cat "$work/simulate.log" >&2; exit 1; }
echo "virtual module ($tube) on $port" >&2

"$cli" capture --port "$port" --start 0 --stop 4 --pitch 1 --vg2 0 --range 32 \
    --wait-ms 200 --save "$work/family.tdf"
cat "$work/family.tdf"
