#!/usr/bin/env bash
# Installs what is missing, builds the program, and starts it.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages "${BUILD_PACKAGES[@]}"
build_in "$BUILD_DIR" "$ROOT" textcompare -DTEXTCOMPARE_BENCH=OFF
exec "$BUILD_DIR/src/textcompare"
