#!/usr/bin/env bash
# Installs what is missing, builds the game alone (no tests, no benchmark), and starts it from
# the folder that holds Images/.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing "${BUILD_PACKAGES[@]}"
configure_into build -DBUILD_TESTING=OFF -DDUPLORA_BENCH=OFF
cmake --build "$ROOT/build" --target duplora
cd "$ROOT"
exec "$ROOT/build/duplora"
