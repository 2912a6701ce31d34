#!/usr/bin/env bash
# Fuzzes the two data file readers (database file, settings file) with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer. Installs clang-14 and its
# runtime when missing, builds the harnesses with clang in build-fuzz/ (the
# engines too, so they report coverage), and runs one harness after the other.
#
#   ./fuzz.sh [seconds] [--big] [--only database|settings]
#                                 run each harness (or only one) for seconds (default 60);
#                                 --big adds a run of the same length with inputs up to 1 MB
#   ./fuzz.sh --minimize database|settings FILE
#                                 shrink a crash input to build-fuzz/crashes/<name>.min
#
# New inputs collect in build-fuzz/corpus-<harness> (seeded from fuzz/corpus and
# fuzz/regressions), crash inputs in build-fuzz/crashes/, one log a run in
# build-fuzz/logs/, and one line a run in build-fuzz/history.tsv. The exit status
# is non-zero when a run found something. A crash input, once understood, goes
# to fuzz/regressions/<harness>/, where ctest replays it (test_fuzz).
set -euo pipefail
cd "$(dirname "$0")"

usage() {
    echo "usage: ./fuzz.sh [seconds] [--big] [--only database|settings] | ./fuzz.sh --minimize database|settings FILE" >&2
    exit 2
}

seconds=60
big=0
harnesses=(database settings)
minimize=()
while [ $# -gt 0 ]; do
    case "$1" in
        --big) big=1 ;;
        --only)
            [ $# -ge 2 ] || usage
            case "$2" in database|settings) harnesses=("$2") ;; *) usage ;; esac
            shift
            ;;
        --minimize)
            [ $# -ge 3 ] || usage
            minimize=("$2" "$3")
            shift 2
            ;;
        ''|*[!0-9]*) usage ;;
        *) seconds=$1 ;;
    esac
    shift
done
if [ ${#minimize[@]} -gt 0 ]; then
    case "${minimize[0]}" in database|settings) ;; *) usage ;; esac
    [ -f "${minimize[1]}" ] || { echo "no such file: ${minimize[1]}" >&2; exit 2; }
fi

source tools/ensure-packages.sh
ensure_packages clang-14 libclang-rt-14-dev

build=build-fuzz
# Every library the harnesses link is compiled for coverage and both sanitizers;
# Qt comes from the system, uninstrumented.
sanitize="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS="$sanitize" -DCMAKE_CXX_FLAGS="$sanitize" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DVOLUMNIA_BUILD_FUZZ=ON -DVOLUMNIA_BUILD_TESTS=OFF -DVOLUMNIA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_database fuzz_settings --parallel 2

mkdir -p "$build/crashes" "$build/logs"
# Short allocation stacks and a smaller quarantine keep the allocation-heavy
# engines fast; a crash is reproduced with the defaults when it is looked at.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:malloc_context_size=8:quarantine_size_mb=64}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
if command -v llvm-symbolizer-14 >/dev/null; then
    export ASAN_SYMBOLIZER_PATH="$(command -v llvm-symbolizer-14)"
fi

# A harness keeps its scratch files in a folder named after its process; remove
# the folders of processes that died on a crash.
tidy_scratch_folders() {
    local folder pid
    for folder in /dev/shm/volumnia-fuzz-* "${TMPDIR:-/tmp}"/volumnia-fuzz-*; do
        [ -d "$folder" ] || continue
        pid=${folder##*/volumnia-fuzz-}
        pid=${pid%%-*}
        kill -0 "$pid" 2>/dev/null || rm -rf "$folder"
    done
}

if [ ${#minimize[@]} -gt 0 ]; then
    name=${minimize[0]}
    out="$build/crashes/$(basename "${minimize[1]}").min"
    "$build/fuzz/fuzz_$name" -minimize_crash=1 -runs=200000 -timeout=10 -rss_limit_mb=2048 \
        -exact_artifact_path="$out" "${minimize[1]}" || true
    tidy_scratch_folders
    [ -f "$out" ] || { echo "no smaller input found" >&2; exit 1; }
    echo "minimised input: $out ($(stat -c %s "$out") bytes)"
    exit 0
fi

[ -f "$build/history.tsv" ] || printf 'date\tharness\tmax_len\tseconds\texecutions\texec_per_s\tcov\tft\tresult\n' >"$build/history.tsv"

failed=0
summary=()
# run_harness NAME MAX_LEN: one libFuzzer run, then its figures in history.tsv.
run_harness() {
    local name=$1 max_len=$2 status=0 log
    log="$build/logs/$name-$(date +%Y%m%d-%H%M%S)-$max_len.log"
    mkdir -p "$build/corpus-$name"
    echo "== fuzz_$name: $seconds s, inputs up to $max_len bytes (log: $log)"
    "$build/fuzz/fuzz_$name" "$build/corpus-$name" "fuzz/corpus/$name" "fuzz/regressions/$name" \
        -dict="fuzz/$name.dict" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len="$max_len" -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$name-" >"$log" 2>&1 || status=$?
    tidy_scratch_folders

    local executions rate cov ft result=ok
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    if [ "$status" -ne 0 ]; then
        result="FINDING (exit $status)"
        failed=1
        grep -E '^==[0-9]+==|Volumnia fuzz finding|runtime error|Test unit written to|SUMMARY' "$log" | head -n 20 >&2 || true
    fi
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$(date -Is)" "$name" "$max_len" "$seconds" \
        "${executions:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "$result" >>"$build/history.tsv"
    local total
    total=$(awk -F'\t' -v h="$name" '$2 == h && $5 ~ /^[0-9]+$/ { s += $5 } END { print s + 0 }' "$build/history.tsv")
    summary+=("fuzz_$name (max_len $max_len): ${executions:-?} executions, ${rate:-?} exec/s, cov ${cov:-?}, ft ${ft:-?}, $result; all runs so far: $total executions")
}

for name in "${harnesses[@]}"; do
    run_harness "$name" 65536
    if [ "$big" = 1 ]; then
        run_harness "$name" 1048576
    fi
done

echo
printf '%s\n' "${summary[@]}"
if [ "$failed" = 1 ]; then
    echo "Findings: see $build/crashes/ and the logs above." >&2
    exit 1
fi
