#!/usr/bin/env bash
# Builds the fuzz targets in build-fuzz and runs each one for the given number of seconds
# (default 60), starting from a copy of its seed corpus so that nothing new lands in the
# repository. Crash inputs are kept in build-fuzz/artifacts/. Exits non-zero when a target fails.
set -euo pipefail

seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
build="$here/../build-fuzz"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/artifacts"

failed=()
for source in "$here"/fuzz_*.cpp; do
    name=$(basename "$source" .cpp)
    corpus="$work/$name"
    mkdir -p "$corpus"
    if [ -d "$here/corpus/$name" ]; then
        cp -r "$here/corpus/$name/." "$corpus/"
    fi
    echo "== $name: ${seconds}s"
    if ! "$build/$name" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$name-" "$corpus"; then
        failed+=("$name")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "failed: ${failed[*]}" >&2
    exit 1
fi
echo "all fuzz targets ran clean"
