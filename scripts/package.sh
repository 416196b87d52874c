#!/usr/bin/env bash
# Installs what is missing and builds the Debian package the way Debian does
# (dpkg-buildpackage, from a copy of this tree): build-package/duplora_<version>_amd64.deb, with
# the build's log beside it in build-package/build.log. Then checks it as debuild would and more:
# the log with blhc (every hardening flag reached every compiler call), the package with lintian,
# its menu entry and its AppStream data with their validators. Exits non-zero on any finding.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

install_missing "${BUILD_PACKAGES[@]}" build-essential debhelper lintian blhc desktop-file-utils appstream
OUT="$ROOT/build-package"
rm -rf "$OUT"
copy_tree "$OUT/duplora"
(cd "$OUT/duplora" && dpkg-buildpackage -us -uc -b) >"$OUT/build.log" 2>&1 \
    || { tail -n 40 "$OUT/build.log" >&2; exit 1; }
DEB="$(ls "$OUT"/duplora_*_amd64.deb)"
blhc --all "$OUT/build.log" >&2
lintian --fail-on error,warning "$DEB" >&2
dpkg-deb -x "$DEB" "$OUT/unpacked"
desktop-file-validate "$OUT/unpacked/usr/share/applications/org.duplora.Duplora.desktop" >&2
appstreamcli validate --no-net "$OUT/unpacked/usr/share/metainfo/org.duplora.Duplora.metainfo.xml" >&2
echo "$DEB"
