#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suite, the suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a short pass of every fuzz target
# (FUZZ_SECONDS each, default 20). Each stage prints a short section and keeps its full output
# in log files; the last line counts every test and fuzz target as "N passed, N failed". Exits
# non-zero when anything failed.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$ROOT/scripts/stages.sh"

install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"

section "tests"
build_and_test "$BUILD_DIR"

section "tests under sanitizers"
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions="$ROOT/tests/lsan.supp":print_suppressions=0 \
    build_and_test "$ROOT/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DTEXTCOMPARE_SANITIZE=ON \
    -DTEXTCOMPARE_BENCH=OFF

section "fuzzing"
run_fuzz_targets "${FUZZ_SECONDS:-20}"

print_total
