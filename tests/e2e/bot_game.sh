#!/usr/bin/env bash
# A player who only looks at the screen plays a whole game in the real window: it turns cards
# with xdotool, tells faces apart by comparing screenshots of the cells (the two faces of a pair
# are pixel-equal), remembers what it saw, and checks every remembered face again when it turns
# the card, since cards may change places while it waits. At the end the results window must
# list the player with the number of attempts the bot counted.
# Needs PLAYER (the name to type) besides what lib.sh needs; WAIT_EVERY=N makes the bot pause
# for a few seconds after every N attempts, so that hidden cards have time to move.
source "$(dirname "$0")/lib.sh"

PLAYER="${PLAYER:?the player name}"
WAIT_EVERY="${WAIT_EVERY:-0}"
PAUSE_S=4.5
CELLS=36
PAIRS=18
PICTURE=51
SCREEN="$ARTIFACTS/screen.miff"

start_xvfb
start_app "$SOURCE_DIR"
main="$(wait_window '^Duplora$' 20)" || fail "the main window never appeared"
sleep 0.5
menu="$(menu_height "$main")"

open_name_dialog "$main" "$menu" >/dev/null || fail "no name dialog"
enter_name "$main" "$PLAYER" || fail "caption is '$(xdotool getwindowname "$main")'"

LEFT=()
TOP=()
CROPS=()
for ((n = 0; n < CELLS; n++)); do
    LEFT+=("$(cell_left $n)")
    TOP+=("$(cell_top $n "$menu")")
    CROPS+=("(" -clone 0 -crop "${PICTURE}x${PICTURE}+${LEFT[$n]}+${TOP[$n]}" +repage ")")
done

# Grabs the window and leaves the pixel signature of every cell's picture in SIG[0..35].
grab() {
    import -window "$main" "$SCREEN"
    mapfile -t SIG < <(convert "$SCREEN" "${CROPS[@]}" -delete 0 -format '%#\n' info:)
    [ ${#SIG[@]} -eq $CELLS ] || fail "could not read the cells off the screen"
}

# The caption changes before the cards are hidden and shuffled, so wait for the whole board to
# show one and the same back.
all_face_down() {
    grab
    local n
    for ((n = 1; n < CELLS; n++)); do
        [ "${SIG[$n]}" = "${SIG[0]}" ] || return 1
    done
}
eventually 20 all_face_down || fail "the board is not face down after Game > New"
shot "01-face-down"
DOWN="${SIG[0]}"

declare -A SEEN=()    # cell -> the signature last seen there
declare -A MATCHED=() # cell -> 1 once its pair is found
PENDING=()            # the two cards of the last mismatch, still face up
attempts=0
pairs=0
stale=0

click_cell() { xdotool mousemove --window "$main" $((LEFT[$1] + PICTURE / 2)) $((TOP[$1] + PICTURE / 2)) click 1; }

# turn N: clicks cell N and waits until its face shows; leaves the face in FACE.
turn() {
    local n=$1
    click_cell "$n"
    for _ in $(seq 50); do
        grab
        [ "${SIG[$n]}" != "$DOWN" ] && break
        sleep 0.1
    done
    FACE="${SIG[$n]}"
    [ "$FACE" != "$DOWN" ] || fail "cell $((n + 1)) did not turn"
    if [ -n "${SEEN[$n]:-}" ] && [ "${SEEN[$n]}" != "$FACE" ]; then
        stale=$((stale + 1))
    fi
    SEEN[$n]="$FACE"
}

is_pending() { [ "${PENDING[0]:-x}" = "$1" ] || [ "${PENDING[1]:-x}" = "$1" ]; }

# remembered FACE SKIP: a hidden card the bot believes shows FACE, other than cell SKIP, in
# FOUND; empty if none.
remembered() {
    FOUND=""
    local n
    for ((n = 0; n < CELLS; n++)); do
        if [ -z "${MATCHED[$n]:-}" ] && [ "$n" != "$2" ] && [ "${SEEN[$n]:-}" = "$1" ]; then
            FOUND=$n
            return
        fi
    done
}

# unknown SKIP: a hidden card never seen, other than SKIP, in FOUND; failing that, any hidden
# card but SKIP and the face-up mismatch.
unknown() {
    FOUND=""
    local n
    for ((n = 0; n < CELLS; n++)); do
        if [ -z "${MATCHED[$n]:-}" ] && [ "$n" != "$1" ] && [ -z "${SEEN[$n]:-}" ]; then
            FOUND=$n
            return
        fi
    done
    for ((n = 0; n < CELLS; n++)); do
        if [ -z "${MATCHED[$n]:-}" ] && [ "$n" != "$1" ] && ! is_pending "$n"; then
            FOUND=$n
            return
        fi
    done
}

while [ $pairs -lt $PAIRS ]; do
    [ $attempts -lt 200 ] || fail "no end after 200 attempts"
    # First card: one of a pair the bot believes it knows, else a card never seen. A face-up
    # card of the last mismatch takes no click on its picture, so it is never the first card.
    first=""
    for ((n = 0; n < CELLS; n++)); do
        [ -n "${MATCHED[$n]:-}" ] || [ -z "${SEEN[$n]:-}" ] || is_pending "$n" && continue
        remembered "${SEEN[$n]}" "$n"
        if [ -n "$FOUND" ]; then
            first=$n
            break
        fi
    done
    if [ -z "$first" ]; then
        unknown ""
        first=$FOUND
    fi
    turn "$first"
    PENDING=()
    face1="$FACE"
    remembered "$face1" "$first"
    [ -n "$FOUND" ] || unknown "$first"
    second=$FOUND
    if [ $pairs -eq $((PAIRS - 1)) ]; then
        # The last pair ends the game: the results window opens at once, over the board.
        click_cell "$second"
        attempts=$((attempts + 1))
        top="$(wait_window '^Top 10$' 10)" || fail "the last pair did not end the game"
        pairs=$PAIRS
        break
    fi
    turn "$second"
    attempts=$((attempts + 1))
    if [ "$FACE" = "$face1" ]; then
        MATCHED[$first]=1
        MATCHED[$second]=1
        pairs=$((pairs + 1))
    else
        PENDING=("$first" "$second")
    fi
    [ $attempts -eq 1 ] && shot "02-first-attempt"
    if [ "$WAIT_EVERY" -gt 0 ] && [ $((attempts % WAIT_EVERY)) -eq 0 ]; then
        sleep "$PAUSE_S"
    fi
done

read -r tx ty _ _ < <(geometry "$top")
# The first line of each column, inside the memo's frame, read until it shows the game.
results_listed() {
    shot "03-top10"
    name="$(ocr 03-top10 $((tx + 9)) $((ty + 65)) 215 17)"
    count="$(ocr_digits 03-top10 $((tx + 321)) $((ty + 65)) 95 17)"
    echo "$name" | grep -qw "$PLAYER" && [ "$count" = "$attempts" ]
}
eventually 20 results_listed || fail "the results list '$name' with $count attempts; the bot is $PLAYER with $attempts"
echo "bot: $pairs pairs in $attempts attempts; $stale remembered faces had moved; results list '$name' with '$count'"
case "$PLAYER" in
    [Ff]*) [ $stale = 0 ] || fail "cards moved in a game of $PLAYER, who plays without the reshuffle" ;;
esac
click_at "$top" 340 432

# The finished board: every card face up, each face exactly twice.
all_pairs_shown() {
    grab
    faces="$(printf '%s\n' "${SIG[@]}" | sort | uniq -c | awk '$1 == 2' | wc -l)"
    [ "$faces" = $PAIRS ]
}
eventually 10 all_pairs_shown || fail "the finished board shows $faces pairs, not $PAIRS"
shot "04-finished-board"

click_at "$main" 20 $((menu / 2))
sleep 0.4
xdotool key Down Down Return
wait_exit
[ "$EXIT_CODE" = 0 ] || fail "Game > Exit ended with $EXIT_CODE"
echo "PASS: $PLAYER found all $PAIRS pairs by looking at the screen; screenshots in $ARTIFACTS"
