#!/usr/bin/env bash
# What the game costs, side by side with a bare Qt main window: start-up to the mapped window,
# peak memory, CPU time and wake-ups idle and in a game, and the board operations that read
# pictures. Builds in release mode first. Every figure is the median of the runs.
#   scripts/bench.sh [--runs N] [--seconds S]     (defaults: 10 runs, 10 s per quiet period)
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

RUNS=10
SECONDS_QUIET=10
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) RUNS="$2"; shift 2 ;;
        --seconds) SECONDS_QUIET="$2"; shift 2 ;;
        *) echo "usage: $0 [--runs N] [--seconds S]" >&2; exit 2 ;;
    esac
done

install_missing "${BUILD_PACKAGES[@]}" xvfb xauth xdotool libx11-dev
build_into build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
BIN="$ROOT/build-release"
WORK="$(mktemp -d)"
XVFB_PID=""
APP_PID=""
trap '[ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null; [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null; rm -rf "$WORK"' EXIT

Xvfb -noreset -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" >/dev/null 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$WORK/display")"

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

# one PROGRAM LABEL: starts it in the source folder, records its start-up, memory and idle cost.
one() {
    local out
    out="$(cd "$ROOT" && "$BIN/bench/duplora-bench-mapwatch" "$1")"
    APP_PID="${out#* }"
    echo "${out% *}" >>"$WORK/$2.map"
    sleep 1
    peak_kb "$APP_PID" >>"$WORK/$2.rss"
    quiet "$APP_PID" "$2-idle"
}

end_app() {
    kill "$APP_PID"
    wait "$APP_PID" 2>/dev/null || true
    APP_PID=""
}

for ((run = 1; run <= RUNS; run++)); do
    echo "run $run of $RUNS..." >&2
    one "$BIN/bench/duplora-bench-bare" bare
    end_app
    one "$BIN/duplora" game
    # A game with the hidden reshuffle: Game > New, a name, Enter.
    main="$(xdotool search --onlyvisible --name '^Duplora$' | tail -n1)"
    xdotool mousemove --window "$main" 20 9 click 1
    sleep 0.3
    xdotool key Down Return
    sleep 0.5
    xdotool type --delay 30 Ana
    xdotool key Return
    sleep 0.5
    [ "$(xdotool getwindowname "$main")" = "Duplora - Ana" ] || { echo "could not start a game" >&2; exit 1; }
    quiet "$APP_PID" game-play
    end_app
done
(cd "$ROOT" && "$BIN/bench/duplora-bench-board") | grep -E '^(shuffle|tick) ' >"$WORK/board"

median() { sort -n "$WORK/$1" | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

map_game="$(median game.map)"
map_bare="$(median bare.map)"
rss_game="$(median game.rss)"
rss_bare="$(median bare.rss)"
read -r _ shuffle_us shuffle_max < <(grep '^shuffle ' "$WORK/board")
read -r _ tick_us tick_max < <(grep '^tick ' "$WORK/board")

echo
echo "Median of $RUNS runs; quiet periods of $SECONDS_QUIET s; Qt $(dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null)"
echo
printf '| %-42s | %12s | %12s | %7s | %-30s |\n' "Figure" "Duplora" "Bare window" "Ratio" "Goal"
printf '|%s|%s|%s|%s|%s|\n' "--------------------------------------------" "--------------" "--------------" "---------" "--------------------------------"
printf '| %-42s | %9s ms | %9s ms | %6sx | %-30s |\n' "Start-up to the mapped window" "$map_game" "$map_bare" "$(ratio "$map_game" "$map_bare")" "<= 1.15x"
printf '| %-42s | %9s kB | %9s kB | %6sx | %-30s |\n' "Peak resident memory after start-up" "$rss_game" "$rss_bare" "$(ratio "$rss_game" "$rss_bare")" "<= 1.15x"
printf '| %-42s | %9s ms | %9s ms | %7s | %-30s |\n' "CPU time, idle, no game" "$(median game-idle.cpu)" "$(median bare-idle.cpu)" "" ""
printf '| %-42s | %12s | %12s | %7s | %-30s |\n' "Main-thread wake-ups, idle, no game" "$(median game-idle.wake)" "$(median bare-idle.wake)" "" "0 of our own"
printf '| %-42s | %9s ms | %12s | %7s | %-30s |\n' "CPU time, in a game" "$(median game-play.cpu)" "-" "" ""
printf '| %-42s | %12s | %12s | %7s | %-30s |\n' "Main-thread wake-ups, in a game" "$(median game-play.wake)" "-" "" "$SECONDS_QUIET + $SECONDS_QUIET/4 (1 per s, 1 per 4 s)"
printf '| %-42s | %9s us | %12s | %7s | %-30s |\n' "One deal (ShuffleBoard, 36 picture reads)" "$shuffle_us" "-" "" "< 2000 us (frame: 16667 us)"
printf '| %-42s | %9s us | %12s | %7s | %-30s |\n' "One reshuffle tick" "$tick_us" "-" "" "< 2000 us (frame: 16667 us)"
echo
echo "Slowest of 101 calls: deal $shuffle_max us, tick $tick_max us."
