#!/usr/bin/env bash
# Installs clang if it is missing, builds the fuzz targets in build-fuzz and runs each one for
# the given number of seconds (default 60), starting from a copy of its seed corpus so that
# nothing new lands in the repository. Prints a line per target; each target's output is kept
# in build-fuzz/logs/, crash inputs in build-fuzz/artifacts/. Exits non-zero when a target fails.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"
source "$ROOT/scripts/stages.sh"

install_packages "${FUZZ_PACKAGES[@]}"
run_fuzz_targets "${1:-60}"
print_total
