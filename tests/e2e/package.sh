#!/usr/bin/env bash
# The Debian package: builds it, checks it with lintian and the desktop and AppStream
# validators, unpacks it into a temporary folder (no system install), checks the file list,
# and starts the unpacked launcher under Xvfb until the main window maps.
source "$(dirname "$0")/lib.sh"

(cd "$BUILD_DIR" && cpack >"$ARTIFACTS/cpack.log" 2>&1) || fail "cpack failed: $(tail -5 "$ARTIFACTS/cpack.log")"
deb="$(ls "$BUILD_DIR"/duplora_*_amd64.deb)"
lintian "$deb" >"$ARTIFACTS/lintian.log" 2>&1 || true
grep -E '^[EW]:' "$ARTIFACTS/lintian.log" && fail "lintian reports errors or warnings"

root="$(mktemp -d)"
trap 'cleanup; rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/org.duplora.Duplora.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.duplora.Duplora.metainfo.xml" >"$ARTIFACTS/appstream.log" 2>&1 \
    || fail "AppStream: $(cat "$ARTIFACTS/appstream.log")"
grep -qx 'Path=/usr/share/games/duplora' "$root/usr/share/applications/org.duplora.Duplora.desktop" || fail "Path="

for f in usr/games/duplora usr/lib/games/duplora/duplora usr/share/man/man6/duplora.6.gz \
         usr/share/doc/duplora/copyright usr/share/doc/duplora/changelog.gz \
         usr/share/icons/hicolor/64x64/apps/duplora.png usr/share/icons/hicolor/256x256/apps/duplora.png; do
    [ -f "$root/$f" ] || fail "the package lacks /$f"
done
for k in $(seq 18); do
    cmp -s "$SOURCE_DIR/Images/$k.bmp" "$root/usr/share/games/duplora/Images/$k.bmp" || fail "picture $k.bmp"
done
file "$root/usr/lib/games/duplora/duplora" | grep -q 'stripped' || fail "program not stripped"
file "$root/usr/lib/games/duplora/duplora" | grep -q 'not stripped' && fail "program not stripped"

# Started from anywhere, the launcher finds the pictures.
start_xvfb
(cd / && exec "$root/usr/games/duplora") >"$ARTIFACTS/app.log" 2>&1 &
APP_PID=$!
main="$(wait_window '^Duplora$' 20)" || fail "the unpacked program showed no window: $(cat "$ARTIFACTS/app.log")"
sleep 0.5
read -r _ _ w _ < <(geometry "$main")
[ "$w" = 350 ] || fail "the window that appeared is $w wide; not the board"
xprop -id "$main" WM_CLASS | grep -q '"duplora"' || fail "WM class: $(xprop -id "$main" WM_CLASS)"
shot "unpacked"
echo "PASS: $deb"
