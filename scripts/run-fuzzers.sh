#!/bin/sh
# Runs every libFuzzer target of a fuzz build, one after the other, for a
# given number of seconds each, or for a given number of inputs each (the
# number helpers, being cheap, get ten times as many):
#   scripts/run-fuzzers.sh BUILD_DIR SECONDS [RUNS]
# Seeds: the hand-written files in fuzz/seeds/<area>/ and, for the TDF reader,
# families converted at run time from the measured tables of the reference
# data (nothing is copied into the repository). The growing corpus, the
# crash artefacts and the logs stay in BUILD_DIR. Exits non-zero when a target
# found a crash, a leak, a timeout or ran out of memory.
set -eu

BUILD=${1:?usage: run-fuzzers.sh BUILD_DIR SECONDS}
SECONDS_EACH=${2:-60}
RUNS=${3:-}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
REFERENCE="$ROOT/../shared/reference-data/raw/harper493__utracer_assistant/data"
WORK="$BUILD/fuzz-work"
mkdir -p "$WORK"
# A report of undefined behaviour stops the target like a crash.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

# The number helpers run under a locale whose decimal separator is ",", built
# into the work folder (the machine's own locales are left alone), so that a
# helper that reads or writes through the locale fails its checks.
LOCALES="$WORK/locales"
if [ ! -d "$LOCALES/de_DE.UTF-8" ] && command -v localedef >/dev/null 2>&1; then
    mkdir -p "$LOCALES"
    localedef -i de_DE -f UTF-8 "$LOCALES/de_DE.UTF-8" 2>/dev/null || true
fi

# A uTracer table (Va, then one mA column per grid voltage) as TDF text: one
# block of lines per grid voltage, currents in amperes, CR LF line ends.
table_to_tdf() {
    awk -v vg2="$2" '
        { sub(/\r$/, "") }
        NR == 2 { for (i = 1; i <= NF; i++) if ($i == "=") grid[++n] = $(i + 1); next }
        NR > 2 && NF == n + 1 { rows++; ua[rows] = $1; for (c = 1; c <= n; c++) ia[rows, c] = $(c + 1) / 1000 }
        END { for (c = 1; c <= n; c++) for (r = 1; r <= rows; r++)
                  printf "%s %.7g %s 0 %s\r\n", ua[r], ia[r, c], grid[c], vg2 }
    ' "$1"
}

mkdir -p "$WORK/seeds-tdf"
if [ -d "$REFERENCE" ]; then
    for table in "$REFERENCE"/*.txt; do
        name=$(basename "$table" .txt)
        LC_ALL=C table_to_tdf "$table" 250 > "$WORK/seeds-tdf/$name.tdf"
    done
fi

# FUZZ_TARGETS="fuzz_a fuzz_b" runs only those targets.
run() {
    target=$1
    seeds=$2
    shift 2
    case " ${FUZZ_TARGETS:-$target} " in
    *" $target "*) ;;
    *) return 0 ;;
    esac
    exe="$BUILD/fuzz/$target"
    if [ ! -x "$exe" ]; then
        echo "missing $exe (configure with -DZOV_BUILD_FUZZ=ON and clang)" >&2
        return 1
    fi
    corpus="$WORK/corpus-$target"
    mkdir -p "$corpus" "$WORK/artifacts"
    if [ -n "$RUNS" ]; then
        runs=$RUNS
        [ "$target" = fuzz_numeric_value ] && runs=$((RUNS * 10))
        limit="-runs=$runs"
        echo "== $target ($runs inputs)"
    else
        limit="-max_total_time=$SECONDS_EACH"
        echo "== $target ($SECONDS_EACH s)"
    fi
    status=0
    LOCPATH="$LOCALES" "$exe" "$corpus" $seeds "$@" \
        $limit -rss_limit_mb=2048 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$WORK/artifacts/$target-" \
        > "$WORK/$target.log" 2>&1 || status=$?
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb|new_units_added)|^Done|ERROR|SUMMARY|locale' \
        "$WORK/$target.log" || true
    echo "   corpus: $(ls "$corpus" | wc -l) files; exit status $status"
    return $status
}

failed=0
# TDF inputs up to 16 KB, the size of the largest measured family of the
# reference data: a run's time is linear in the input's size, and beyond a few
# hundred lines a longer file reaches no state a shorter one cannot (the only
# thing carried from line to line is the table of curves).
run fuzz_tdf_reader "$ROOT/fuzz/seeds/tdf $WORK/seeds-tdf" -max_len=16384 || failed=1
run fuzz_numeric_value "$ROOT/fuzz/seeds/numeric" -max_len=64 || failed=1
run fuzz_get_field "$ROOT/fuzz/seeds/getfield" -max_len=4096 || failed=1
run fuzz_ini_reader "$ROOT/fuzz/seeds/ini" -max_len=8192 || failed=1
# A project file the program writes holds under 1 KB; every key of a save
# scans the whole file, so a longer input only slows the run down.
run fuzz_project_file "$ROOT/fuzz/seeds/project" -max_len=2048 || failed=1
run fuzz_module_protocol "$ROOT/fuzz/seeds/protocol" -max_len=300 || failed=1
run fuzz_design_engine "$ROOT/fuzz/seeds/design" -max_len=4096 || failed=1
# The curve files of other programs, read in place as seeds.
run fuzz_curve_import "$(find "$ROOT/../shared/reference-data/raw" -mindepth 1 -type d 2>/dev/null | tr '\n' ' ')" \
    -max_len=65536 || failed=1
exit $failed
