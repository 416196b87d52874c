#!/usr/bin/env bash
# Installs what is missing and builds the Debian package the way Debian does
# (dpkg-buildpackage, from a copy of this tree): build-package/duplora_<version>_amd64.deb, with
# the build's log beside it in build-package/build.log.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing "${BUILD_PACKAGES[@]}" build-essential debhelper
OUT="$ROOT/build-package"
rm -rf "$OUT"
copy_tree "$OUT/duplora"
(cd "$OUT/duplora" && dpkg-buildpackage -us -uc -b) >"$OUT/build.log" 2>&1 \
    || { tail -n 40 "$OUT/build.log" >&2; exit 1; }
ls "$OUT"/duplora_*_amd64.deb
