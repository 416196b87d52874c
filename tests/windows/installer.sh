#!/usr/bin/env bash
# The Windows installer under Wine, in the prefix WINEPREFIX, inside an X server of its own:
#   installer.sh SETUP.EXE ARTIFACTS
# silently installed, as /S runs it; the game started from its Start-menu shortcut (its command in
# its folder) shows its main window and ends by Ctrl+Q; the uninstaller, silently, and the next
# start of Windows, when the uninstaller's copy of itself in the temporary folder goes, leave the
# prefix's files and registry as they were (less Wine's own bookkeeping: the registry's times and
# the display driver's date; and the uninstaller's temporary folder, which Wine's restart empties
# but leaves).
set -u
setup="$1" artifacts="$2"
snapshot() {
    cd "$WINEPREFIX" || return
    find drive_c -path drive_c/windows -prune -o -path '*/Temp/~nsu*.tmp' -empty -o -print | sort
    sed -E '/^#time=/d; /^"DriverDateData"=/d; s/^(\[.*\]) [0-9]+$/\1/' system.reg user.reg
}
fail() {
    echo "FAIL: $1"
    wineserver -k
    exit 1
}
snapshot >"$artifacts/prefix-before.txt"
wine "$setup" /S && wineserver -w
link="$(cd "$WINEPREFIX" && find drive_c -name Duplora.lnk)"
[ -n "$link" ] && [ -n "$(find "$WINEPREFIX/drive_c" -path '*/Duplora/duplora.exe')" ] || fail "not installed"
# The shortcut used as on a desktop: once its window manager runs.
metacity --sm-disable >/dev/null 2>&1 &
for _ in $(seq 20); do
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' && break
    sleep 0.5
done
# start returns once the shortcut has started the game, which is then known by its live process;
# its main window is the one of the game's height, not the error box of a game started elsewhere.
wine start "C:\\${link#drive_c/}" || fail "the shortcut did not start"
game=(pgrep -x -r R,S,D duplora.exe)
shown=""
for _ in $(seq 60); do
    for w in $(xdotool search --onlyvisible --name '^Duplora$' 2>/dev/null); do
        [ "$(xwininfo -id "$w" | sed -n 's/ *Height: //p')" -ge 380 ] 2>/dev/null && shown="$w"
    done
    [ -n "$shown" ] && break
    sleep 1
done
if [ -z "$shown" ]; then
    # What the screen showed instead, for the log.
    xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null
    fail "the shortcut did not start the game with its pictures; the windows shown are above"
fi
xdotool windowactivate --sync "$shown" key ctrl+q
for _ in $(seq 30); do
    "${game[@]}" >/dev/null || break
    sleep 1
done
! "${game[@]}" >/dev/null || fail "Ctrl+Q did not end the game from its shortcut"
wine "$(find "$WINEPREFIX/drive_c" -path '*/Duplora/uninstall.exe')" /S && wineserver -w
wine wineboot --restart && wineserver -w
snapshot >"$artifacts/prefix-after.txt"
diff "$artifacts/prefix-before.txt" "$artifacts/prefix-after.txt" || fail "the uninstaller left the above"
