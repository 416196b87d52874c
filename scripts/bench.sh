#!/usr/bin/env bash
# What the game costs, side by side with a bare Qt main window: start-up to the mapped window,
# peak memory, CPU time and wake-ups idle and in a game, and the board operations that read
# pictures. Builds in release mode first. Every figure is the median of the runs.
#   scripts/bench.sh [--runs N] [--seconds S] [--build DIR] [--windows DIR]
# Defaults: 10 runs, quiet periods of 10 s, a release build in build-release/. --build uses a
# tree already built instead (the test that checks this script does). --windows measures the
# Windows build in DIR under Wine instead, each program against the same bare window built the
# same way (scripts/windows.sh --bench runs it so, with Wine's prefix and Qt's DLLs).
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

RUNS=10
SECONDS_QUIET=10
BIN=""
PROGRAMS=""
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) RUNS="$2"; shift 2 ;;
        --seconds) SECONDS_QUIET="$2"; shift 2 ;;
        --build) BIN="$(cd "$2" && pwd)"; shift 2 ;;
        --windows) PROGRAMS="$(cd "$2" && pwd)"; shift 2 ;;
        *) echo "usage: $0 [--runs N] [--seconds S] [--build DIR] [--windows DIR]" >&2; exit 2 ;;
    esac
done

install_missing "${BUILD_PACKAGES[@]}" xvfb xauth xdotool libx11-dev
if [ -z "$BIN" ]; then
    build_into build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DDUPLORA_BENCH=ON >/dev/null
    BIN="$ROOT/build-release"
fi
# The programs measured, and how each is started: the Windows ones by Wine.
RUN=()
EXE=""
if [ -n "$PROGRAMS" ]; then RUN=(wine); EXE=".exe"; else PROGRAMS="$BIN"; fi
WORK="$(mktemp -d)"
XVFB_PID=""
APP_PID=""
trap '[ -n "$APP_PID" ] && kill "$APP_PID"; kill "$XVFB_PID"; rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# An X server of its own, on a display it picks.
Xvfb -noreset -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" >/dev/null 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$WORK/display")"

# wait_window TITLE-REGEX: the id of the visible window with that title.
wait_window() {
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n1 | grep . && return 0
        sleep 0.1
    done
    return 1
}

# start_game MAIN NAME: Game > New, the name, Enter; waits until the caption carries the name.
start_game() {
    xdotool windowfocus --sync "$1" key ctrl+n
    wait_window '^New game$' >/dev/null || return 1
    xdotool type --delay 50 "$2"
    xdotool key Return
    for _ in $(seq 50); do
        [ "$(xdotool getwindowname "$1")" = "Duplora - $2" ] && return 0
        sleep 0.1
    done
    return 1
}

# CPU time of the whole process in ms, and the voluntary context switches of its main thread,
# the thread the game's timers run on: each is one wake-up from sleep.
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{print ($14 + $15) * 1000 / hz}' "/proc/$1/stat"; }
wakeups() { awk '/^voluntary_ctxt_switches/{print $2}' "/proc/$1/task/$1/status"; }
peak_kb() { awk '/^VmHWM/{print $2}' "/proc/$1/status"; }

# quiet PID LABEL: CPU ms and wake-ups over the quiet period, into LABEL.cpu and LABEL.wake.
quiet() {
    local c0 w0
    c0="$(cpu_ms "$1")"
    w0="$(wakeups "$1")"
    sleep "$SECONDS_QUIET"
    awk -v a="$(cpu_ms "$1")" -v b="$c0" 'BEGIN {print a - b}' >>"$WORK/$2.cpu"
    echo "$(($(wakeups "$1") - w0))" >>"$WORK/$2.wake"
}

# one LABEL PROGRAM [ARGUMENTS]: starts it in the source folder, records its start-up, memory
# and idle cost.
one() {
    local label="$1" out
    shift
    out="$(cd "$ROOT" && "$BIN/bench/duplora-bench-mapwatch" "$@" 2>>"$WORK/programs.log")"
    APP_PID="${out#* }"
    echo "${out% *}" >>"$WORK/$label.map"
    sleep 1
    peak_kb "$APP_PID" >>"$WORK/$label.rss"
    quiet "$APP_PID" "$label-idle"
}

end_app() {
    kill "$APP_PID"
    wait "$APP_PID" 2>/dev/null || true
    APP_PID=""
}

for ((run = 1; run <= RUNS; run++)); do
    echo "run $run of $RUNS..." >&2
    one bare "${RUN[@]}" "$PROGRAMS/bench/duplora-bench-bare$EXE"
    end_app
    one menu "${RUN[@]}" "$PROGRAMS/bench/duplora-bench-bare$EXE" --menu
    end_app
    one game "${RUN[@]}" "$PROGRAMS/duplora$EXE"
    # A game with the hidden reshuffle.
    main="$(wait_window '^Duplora$')" || fail "no main window"
    start_game "$main" Ana || fail "could not start a game"
    quiet "$APP_PID" game-play
    end_app
done
(cd "$ROOT" && "${RUN[@]}" "$PROGRAMS/bench/duplora-bench-board$EXE" 2>>"$WORK/programs.log") | grep -E '^(shuffle|tick) ' >"$WORK/board"

median() { sort -n "$WORK/$1" | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

read -r _ shuffle_us shuffle_max < <(grep '^shuffle ' "$WORK/board")
read -r _ tick_us tick_max < <(grep '^tick ' "$WORK/board")

# ratio_of GAME OTHER: "1.23x", or nothing where there is nothing to divide by.
ratio_of() {
    case "${2%% *}" in -|0|"") ;; *) echo "$(ratio "${1%% *}" "${2%% *}")x" ;; esac
}

# row FIGURE GAME BARE MENU GOAL: the game's figure, and over the bare window's and the menu's.
row() {
    printf '| %-41s | %11s | %11s | %6s | %11s | %6s | %-26s |\n' "$1" "$2" "$3" "$(ratio_of "$2" "$3")" \
        "$4" "$(ratio_of "$2" "$4")" "$5"
}

echo
echo "Median of $RUNS runs; quiet periods of $SECONDS_QUIET s; Qt $(dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null)${EXE:+; for Windows, under Wine $(wine --version)}"
echo
printf '| %-41s | %11s | %11s | %6s | %11s | %6s | %-26s |\n' "Figure" "Duplora" "Bare window" "Ratio" "Bare + menu" "Ratio" "Goal"
printf '|%s|%s|%s|%s|%s|%s|%s|\n' "-------------------------------------------" "-------------" "-------------" "--------" "-------------" "--------" "----------------------------"
row "Start-up to the mapped window" "$(median game.map) ms" "$(median bare.map) ms" "$(median menu.map) ms" "<= 1.10x of bare + menu"
row "Peak resident memory after start-up" "$(median game.rss) kB" "$(median bare.rss) kB" "$(median menu.rss) kB" "<= 1.05x of bare + menu"
row "CPU time, idle, no game" "$(median game-idle.cpu) ms" "$(median bare-idle.cpu) ms" "$(median menu-idle.cpu) ms" ""
row "Main-thread wake-ups, idle, no game" "$(median game-idle.wake)" "$(median bare-idle.wake)" "$(median menu-idle.wake)" "0 of our own"
row "CPU time, in a game" "$(median game-play.cpu) ms" "-" "-" ""
row "Main-thread wake-ups, in a game" "$(median game-play.wake)" "-" "-" "$(awk -v s="$SECONDS_QUIET" 'BEGIN {print s + s / 4}') (1 per s, 1 per 4 s)"
row "One deal (ShuffleBoard, 36 picture reads)" "$shuffle_us us" "-" "-" "< 2000 us; a frame: 16667"
row "One reshuffle tick" "$tick_us us" "-" "-" "< 2000 us; a frame: 16667"
echo
echo "Slowest of 101 calls: deal $shuffle_max us, tick $tick_max us."
