# shellcheck shell=bash
# The stages of the test command, shared by scripts/test.sh and fuzz/run.sh. Every CTest test
# and every fuzz target counts as passed or failed; the full output of each goes to a log file,
# and the terminal gets a few lines per stage and, for a failure, what failed and where its log
# is. Needs common.sh.

PASSED=0
FAILED=0
FAILURES=()

section() {
    echo
    echo "== $1"
}

record_pass() {
    PASSED=$((PASSED + 1))
}

# Counts one failure, described by the arguments (what failed and where its log is).
record_failure() {
    FAILED=$((FAILED + 1))
    FAILURES+=("$*")
    echo "FAILED: $*"
}

# Prints what failed again, so that it stands near the end, and the closing count; the status
# is non-zero when anything failed.
print_total() {
    echo
    if [ ${#FAILURES[@]} -gt 0 ]; then
        echo "failed:"
        printf '  %s\n' "${FAILURES[@]}"
    fi
    echo "$PASSED passed, $FAILED failed"
    [ "$FAILED" -eq 0 ]
}

# Copies the part of CTest's LastTest.log that belongs to the test NAME into OUT.
extract_test_log() {
    local name=$1 last_test=$2 out=$3
    awk -v name="$name" '
        /^[0-9]+\/[0-9]+ Testing: / && substr($0, index($0, "Testing: ") + 9) == name { inside = 1 }
        inside { print }
        inside && index($0, "\"" name "\" time elapsed: ") == 1 { exit }
    ' "$last_test" >"$out"
}

# Runs the tests of the build folder DIR through CTest and counts them. CTest's output goes to
# DIR/ctest.log and each failed test's own output to DIR/test-logs/NAME.log; the terminal gets
# CTest's summary lines and a line per failed test.
run_tests_in() {
    local dir=$1
    local log="$dir/ctest.log" logs="$dir/test-logs" count
    rm -rf "$logs"
    mkdir -p "$logs"
    count=$(ctest --test-dir "$dir" -N | sed -n -E 's/^Total Tests: ([0-9]+)$/\1/p' || true)
    echo "running ${count:-0} tests (log: $(shown_path "$log"))"
    ctest --test-dir "$dir" --output-on-failure -j2 >"$log" 2>&1 || true

    local summary
    summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+$' "$log" || true)
    if [ -z "$summary" ]; then
        tail -n 10 "$log"
        record_failure "CTest in $(shown_path "$dir") ended without a summary, log: $(shown_path "$log")"
        return 0
    fi
    echo "$summary"
    grep -E '^Total Test time' "$log" || true

    local total failed
    total=$(sed -E 's/.* out of ([0-9]+)$/\1/' <<<"$summary")
    failed=$(sed -E 's/.* ([0-9]+) tests failed out of .*/\1/' <<<"$summary")
    PASSED=$((PASSED + total - failed))

    # CTest lists the failed tests as "  12 - name (reason)" under this heading.
    local named=0 line name reason test_log
    while IFS= read -r line; do
        name=$(sed -E 's/^[[:space:]]*[0-9]+ - (.*) \(([^)]*)\)$/\1/' <<<"$line")
        reason=$(sed -E 's/^[[:space:]]*[0-9]+ - (.*) \(([^)]*)\)$/\2/' <<<"$line")
        # A test that could not start has only CTest's reason, in CTest's own output.
        test_log=$log
        if [ "$reason" != "Not Run" ]; then
            extract_test_log "$name" "$dir/Testing/Temporary/LastTest.log" "$logs/$name.log"
            [ -s "$logs/$name.log" ] && test_log="$logs/$name.log"
        fi
        record_failure "test $name ($reason) in $(shown_path "$dir"), log: $(shown_path "$test_log")"
        # The end of the test's own output says why, also where only the terminal is kept.
        if [ "$test_log" != "$log" ]; then
            sed -n '/^Output:$/,/^<end of output>$/p' "$test_log" | sed '1d;$d;/^-*$/d' | tail -n 12 |
                sed 's/^/    | /'
        fi
        named=$((named + 1))
    done < <(sed -n '/^The following tests FAILED:$/,$p' "$log" |
        grep -E '^[[:space:]]+[0-9]+ - .* \([^)]*\)$' || true)
    while [ "$named" -lt "$failed" ]; do
        record_failure "a test in $(shown_path "$dir"), log: $(shown_path "$log")"
        named=$((named + 1))
    done
}

# Builds the program and its tests in DIR with the given CMake options and runs the tests. When
# the build fails, every test of the folder counts as failed (at least one failure).
build_and_test() {
    local dir=$1
    shift
    if build_in "$dir" "$ROOT" all "$@"; then
        run_tests_in "$dir"
        return 0
    fi
    local count not_run
    count=$(ctest --test-dir "$dir" -N 2>/dev/null | sed -n -E 's/^Total Tests: ([0-9]+)$/\1/p' ||
        true)
    count=${count:-0}
    not_run="its tests not run"
    [ "$count" -gt 0 ] && not_run="$count tests not run"
    [ "$count" -gt 0 ] || count=1
    FAILED=$((FAILED + count - 1))
    record_failure "build of $(shown_path "$dir") ($not_run), log: $(shown_path "$dir/build.log")"
}

# Prints the last value of a libFuzzer statistic ("stat::NAME: value") in a log, or "?".
fuzz_stat() {
    local value
    value=$(sed -n -E "s/^stat::$1: *([0-9]+)$/\1/p" "$2" | tail -n 1)
    echo "${value:-?}"
}

# Runs one fuzz target for SECONDS from a copy of its seed corpus in WORK and counts it. The
# output goes to LOGS/NAME.log; the terminal gets one line: runs, coverage at the start and the
# end with the inputs that added to it, and "clean" or the crash input.
run_fuzz_target() {
    local build=$1 name=$2 seconds=$3 work=$4
    local corpus="$work/$name" log="$build/logs/$name.log" status=0
    mkdir -p "$corpus"
    if [ -d "$ROOT/fuzz/corpus/$name" ]; then
        cp -r "$ROOT/fuzz/corpus/$name/." "$corpus/"
    fi
    "$build/$name" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$name-" "$corpus" </dev/null >"$log" 2>&1 || status=$?

    local runs added first_cov last_cov
    runs=$(fuzz_stat number_of_executed_units "$log")
    added=$(fuzz_stat new_units_added "$log")
    first_cov=$(sed -n -E '/INITED cov: /{s/.*INITED cov: ([0-9]+).*/\1/p;q}' "$log")
    last_cov=$(grep -oE ' cov: [0-9]+' "$log" | tail -n 1 | grep -oE '[0-9]+' || true)
    local progress="$runs runs"
    if [ -n "$first_cov" ] && [ -n "$last_cov" ]; then
        progress+=", coverage $first_cov -> $last_cov ($added new inputs)"
    fi
    if [ "$status" -eq 0 ]; then
        record_pass
        echo "$name: $progress, clean"
        return 0
    fi
    local reason crash
    reason=$(sed -n -E '/^SUMMARY: /{s/^SUMMARY: (.*[^ ])( in)? *$/\1/p;q}' "$log")
    crash=$(sed -n -E 's/.*Test unit written to (.*)$/\1/p' "$log" | tail -n 1)
    [ -n "$crash" ] && crash=$(shown_path "$crash")
    echo "$name: $progress"
    record_failure "fuzz target $name (${reason:-exit status $status}), crash input:" \
        "${crash:-none written}, log: $(shown_path "$log")"
}

# Builds every fuzz/fuzz_*.cpp in build-fuzz with clang and runs each for SECONDS. Crash inputs
# are kept in build-fuzz/artifacts/, outputs in build-fuzz/logs/. Nothing new lands in the
# repository: the targets start from copies of their seed corpora.
run_fuzz_targets() {
    local seconds=$1
    local build="$ROOT/build-fuzz" names=() source
    for source in "$ROOT"/fuzz/fuzz_*.cpp; do
        names+=("$(basename "$source" .cpp)")
    done
    local build_log="$build/build.log" name
    # The library under test first; each target is then built on its own, so that one that does
    # not compile fails alone.
    if ! build_in "$build" "$ROOT/fuzz" fuzz_core -DCMAKE_CXX_COMPILER=clang++; then
        for name in "${names[@]}"; do
            record_failure "fuzz target $name not built, log: $(shown_path "$build_log")"
        done
        return 0
    fi
    rm -rf "$build/logs"
    mkdir -p "$build/logs" "$build/artifacts"
    echo "each target for ${seconds} s (logs: $(shown_path "$build/logs")/)"
    local work
    work=$(mktemp -d)
    for name in "${names[@]}"; do
        if cmake --build "$build" -j"$(nproc)" --target "$name" >>"$build_log" 2>&1; then
            run_fuzz_target "$build" "$name" "$seconds" "$work"
        else
            record_failure "fuzz target $name not built, log: $(shown_path "$build_log")"
        fi
    done
    rm -rf "$work"
}
