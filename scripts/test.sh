#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

TEST_PACKAGES=(xvfb xauth xdotool xclip x11-utils imagemagick libbenchmark-dev)
install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2
