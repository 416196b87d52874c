#!/usr/bin/env bash
# At twice the scale the window is twice as large and every card shows its picture pixel for
# pixel, not blown up from a smaller one.
source "$(dirname "$0")/lib.sh"

SCALE=2
CELLS=36
PAIRS=18

# The window's place scales too, so the screen must be large enough for all of it.
start_xvfb 1600x1200
export QT_SCALE_FACTOR=$SCALE
start_app "$SOURCE_DIR"
main="$(wait_window '^Duplora$' 20)" || fail "the main window never appeared"
sleep 0.5
read -r _ _ w h < <(geometry "$main")
[ "$w" = $((350 * SCALE)) ] || fail "the window is $w wide at scale $SCALE, not $((350 * SCALE))"
menu=$((h - 367 * SCALE))
[ "$menu" -gt $((10 * SCALE)) ] && [ "$menu" -lt $((40 * SCALE)) ] || fail "odd menu bar height $menu"
shot "01-scaled-board"

# The pictures' own signatures, then each face-up cell's at full resolution.
declare -A PICTURE_OF=()
for ((p = 1; p <= PAIRS; p++)); do
    PICTURE_OF["$(convert "$SOURCE_DIR/Images/$p.bmp" -format '%#' info:)"]=$p
done
size=$((51 * SCALE))
all_pictures_sharp() {
    import -window "$main" "$ARTIFACTS/window.png"
    local n sig
    for ((n = 0; n < CELLS; n++)); do
        sig="$(convert "$ARTIFACTS/window.png" -crop "${size}x${size}+$(cell_left $n $SCALE)+$(cell_top $n "$menu" $SCALE)" \
            +repage -format '%#' info:)"
        [ -n "${PICTURE_OF[$sig]:-}" ] || { bad=$((n + 1)); return 1; }
    done
}
eventually 20 all_pictures_sharp || fail "card $bad is not one of the pictures at full resolution"
echo "PASS: ${w}x${h} at scale $SCALE, every card pixel-equal to its picture"
