#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suite, the suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a short pass of every fuzz target.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

TEST_PACKAGES=(xvfb xauth xdotool xclip x11-utils imagemagick libbenchmark-dev
               clang libclang-rt-14-dev)
install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

echo "== tests"
build
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2

echo "== tests under sanitizers"
BUILD_DIR="$ROOT/build-sanitize" build -DCMAKE_BUILD_TYPE=Debug -DTEXTCOMPARE_SANITIZE=ON \
    -DTEXTCOMPARE_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions="$ROOT/tests/lsan.supp":print_suppressions=0 \
    ctest --test-dir "$ROOT/build-sanitize" --output-on-failure -j2

echo "== fuzzing"
bash "$ROOT/fuzz/run.sh" "${FUZZ_SECONDS:-20}"
