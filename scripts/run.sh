#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages "${BUILD_PACKAGES[@]}"
build -DTEXTCOMPARE_BENCH=OFF
exec "$BUILD_DIR/src/textcompare"
