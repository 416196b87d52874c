#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game from the folder that holds Images/.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing "${BUILD_PACKAGES[@]}"
build_into build
cd "$ROOT"
exec "$ROOT/build/duplora"
