#!/usr/bin/env bash
# The real program under Xvfb: opens the board where laid out, starts a game through the menu
# and the name dialog, turns two cards, ends it by a background double-click, shows "Top 10"
# with the player's name, and ends with exit code 0 through Game > Exit.
source "$(dirname "$0")/lib.sh"

start_xvfb
start_app "$SOURCE_DIR"
main="$(wait_window '^Duplora$' 20)" || fail "the main window never appeared"
sleep 0.5
read -r x y w h < <(geometry "$main")
[ "$x $y" = "236 109" ] || fail "main window at $x,$y instead of 236,109"
[ "$w" = 350 ] || fail "main window $w wide instead of 350"
menu=$((h - 367))
[ "$menu" -gt 10 ] && [ "$menu" -lt 40 ] || fail "odd menu bar height $menu"
# The board is face up: the cells show pictures, not the grey panel.
board_face_up() {
    shot "01-start-board"
    board_colours="$(convert "$ARTIFACTS/01-start-board.png" -crop 300x300+$((x + 20))+$((y + menu + 20)) -unique-colors -format '%k' info:)"
    [ "$board_colours" -gt 20 ]
}
eventually 10 board_face_up || fail "the start board shows only $board_colours colours"

# Game > New, then type the name.
dialog="$(open_name_dialog "$main" "$menu")" || fail "no name dialog"
read -r _ _ dw dh < <(geometry "$dialog")
[ "$dw $dh" = "233 93" ] || fail "name dialog is $dw x $dh"
enter_name "$main" Ana || fail "caption is '$(xdotool getwindowname "$main")'"
sleep 0.3
shot "02-face-down"

# Two cards: the first and the last cell.
click_at "$main" 34 $((menu + 34))
click_at "$main" 314 $((menu + 314))
first_card_up() {
    shot "03-two-cards"
    convert "$ARTIFACTS/03-two-cards.png" -crop 51x51+$((x + 9))+$((y + menu + 9)) +repage "$ARTIFACTS/card1.png"
    [ "$(convert "$ARTIFACTS/card1.png" -unique-colors -format '%k' info:)" -gt 2 ]
}
eventually 10 first_card_up || fail "the first card did not turn"

# A double-click on the background between the cells ends the game.
click_at "$main" 62 $((menu + 62)) 2
top="$(wait_window '^Top 10$')" || fail "no results window after the double-click"
read -r tx ty _ _ < <(geometry "$top")
ana_listed() {
    shot "04-top10"
    names="$(ocr 04-top10 $((tx + 9)) $((ty + 65)) 200 30)"
    echo "$names" | grep -q 'Ana'
}
eventually 10 ana_listed || fail "the results list '$names', not Ana"
click_at "$top" 340 432
top_closed() { ! xdotool search --onlyvisible --name '^Top 10$' >/dev/null 2>&1; }
eventually 10 top_closed || fail "OK did not close the results window"

# Help > About...
click_at "$main" 68 $((menu / 2))
sleep 0.4
xdotool key Down Return
about="$(wait_window '^About\.\.\.$')" || fail "no About window"
sleep 0.5
shot "05-about"
click_at "$about" 229 472
about_closed() { ! xdotool search --onlyvisible --name '^About\.\.\.$' >/dev/null 2>&1; }
eventually 10 about_closed || fail "OK did not close the About window"

# Game > Exit ends the program with 0.
click_at "$main" 20 $((menu / 2))
sleep 0.4
xdotool key Down Down Return
wait_exit
code=$EXIT_CODE
[ "$code" = 0 ] || fail "Game > Exit ended with $code"
echo "PASS: played through the real window; screenshots in $ARTIFACTS"
