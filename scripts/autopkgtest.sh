#!/usr/bin/env bash
# Builds the Debian package and runs its as-installed tests (debian/tests) against it, on this
# system, with autopkgtest's null runner. That installs the package and what its tests need, so run
# it where that is welcome: CI, or a fresh root (scripts/debian-root.sh). It asks sudo.
# With --built it takes the package the test command has just built in build-package/.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing autopkgtest
if [ "${1:-}" = "--built" ]; then
    deb="$(ls "$ROOT"/build-package/duplora_*_amd64.deb)"
else
    deb="$(bash "$ROOT/scripts/package.sh" | tail -n 1)"
fi
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" autopkgtest --quiet "$deb" "$ROOT/build-package/duplora/" -- null
