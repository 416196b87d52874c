# Helpers for driving the real program under Xvfb with xdotool. Source it.
# Needs: DUPLORA (the program), SOURCE_DIR (folder with Images/), ARTIFACTS (where screenshots go).

set -euo pipefail

mkdir -p "$ARTIFACTS"
XVFB_PID=""
APP_PID=""

cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    shot "failure" || true
    exit 1
}

# start_xvfb [WIDTHxHEIGHT]
start_xvfb() {
    local fdfile
    fdfile="$(mktemp)"
    # -noreset: the server must not reset when the last client leaves.
    Xvfb -noreset -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp 3>"$fdfile" >"$ARTIFACTS/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$fdfile" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
    [ "$DISPLAY" != ":" ] || fail "Xvfb did not start"
}

# start_app DIR: runs the program with DIR as working directory, its output into a file.
start_app() {
    (cd "$1" && exec "$DUPLORA") >"$ARTIFACTS/app.log" 2>&1 &
    APP_PID=$!
}

# wait_window TITLE-REGEX [seconds]: prints the id of the visible window with that title.
wait_window() {
    local id
    for _ in $(seq $((${2:-10} * 10))); do
        id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n1 || true)"
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# eventually SECONDS COMMAND...: runs COMMAND until it succeeds, for at most SECONDS. A screen is
# judged only once it shows what is expected, never by one early frame.
eventually() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.2
    done
}

# geometry ID: prints "X Y W H".
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}

# click_at ID X Y [repeat]: left click at window coordinates.
click_at() {
    xdotool mousemove --window "$1" "$2" "$3" click --repeat "${4:-1}" --delay 80 1
}

# menu_height MAIN [SCALE]: the height of the main window's menu bar, above the board.
menu_height() {
    local h
    read -r _ _ _ h < <(geometry "$1")
    echo $((h - 367 * ${2:-1}))
}

# open_name_dialog MAIN MENU-HEIGHT: Game > New by mouse and keys; prints the name dialog's id.
open_name_dialog() {
    click_at "$1" 20 $(($2 / 2))
    sleep 0.4
    xdotool key Down Return
    wait_window '^New game$'
}

# enter_name MAIN NAME: types NAME into the open name dialog, presses Enter, and waits until
# the main window's caption carries the name.
enter_name() {
    xdotool type --delay 50 "$2"
    xdotool key Return
    for _ in $(seq 50); do
        [ "$(xdotool getwindowname "$1")" = "Duplora - $2" ] && return 0
        sleep 0.1
    done
    return 1
}

# cell_left N [SCALE], cell_top N MENU-HEIGHT [SCALE]: the top left corner of card N's picture
# (0-based, row by row) in window coordinates.
cell_left() { echo $(((9 + 56 * ($1 % 6)) * ${2:-1})); }
cell_top() { echo $(($2 + (9 + 56 * ($1 / 6)) * ${3:-1})); }

# Small UI text is scaled up, made black on white and given a white margin (tesseract misses
# letters that touch the edge) before it is read. Leaves the prepared picture's name in OCR_IN.
ocr_prepare() {
    OCR_IN="$ARTIFACTS/$1-ocr-$2-$3.png"
    convert "$ARTIFACTS/$1.png" -crop "$4x$5+$2+$3" +repage -resize 400% -colorspace Gray -threshold 60% \
        -bordercolor white -border 40 "$OCR_IN"
}

# ocr SHOT X Y W H: the text in that part of a screenshot.
ocr() {
    ocr_prepare "$@"
    tesseract "$OCR_IN" - --psm 6 2>/dev/null | tr '\n' ' '
}

# ocr_digits SHOT X Y W H: the number on one line in that part of a screenshot.
ocr_digits() {
    ocr_prepare "$@"
    tesseract "$OCR_IN" - --psm 7 -c tessedit_char_whitelist=0123456789 2>/dev/null | tr -d ' \n'
}

shot() {
    import -window root "$ARTIFACTS/$1.png"
}

# wait_exit: waits for the program to end and leaves its exit code in EXIT_CODE. Called
# directly, not in $(...), since only this shell can wait for its own child.
wait_exit() {
    EXIT_CODE=0
    for _ in $(seq 300); do
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$APP_PID" 2>/dev/null && fail "the program did not end"
    wait "$APP_PID" || EXIT_CODE=$?
    APP_PID=""
}
