#!/usr/bin/env bash
# Installs what is missing, builds in release mode and makes the Debian package
# build-package/duplora_<version>_amd64.deb.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing "${BUILD_PACKAGES[@]}" dpkg-dev file
build_into build-package -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
(cd "$ROOT/build-package" && cpack >/dev/null)
ls "$ROOT"/build-package/duplora_*_amd64.deb
