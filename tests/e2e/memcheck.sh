#!/usr/bin/env bash
# Valgrind memcheck over a whole game: the time-out through the rules offscreen (a real one
# takes twenty minutes), then the real program played to the end by the screen bot, with
# hidden cards moving. No invalid access, no uninitialised read, no definite leak.
# Needs TST_GAME (the game rules' test program) and SUPPRESSIONS besides what lib.sh needs.
set -euo pipefail
: "${TST_GAME:?}" "${SUPPRESSIONS:?}" "${ARTIFACTS:?}"
mkdir -p "$ARTIFACTS"
rm -f "$ARTIFACTS"/memcheck-*.log

MEMCHECK=(valgrind --error-exitcode=3 --leak-check=full --errors-for-leak-kinds=definite
          --show-leak-kinds=definite --track-origins=yes --suppressions="$SUPPRESSIONS")

QT_QPA_PLATFORM=offscreen "${MEMCHECK[@]}" --log-file="$ARTIFACTS/memcheck-rules-%p.log" \
    "$TST_GAME" wholeGame clockAndTimeOut reshuffle >"$ARTIFACTS/rules.out" 2>&1 \
    || { cat "$ARTIFACTS/rules.out" "$ARTIFACTS"/memcheck-rules-*.log; echo "FAIL: the rules under memcheck"; exit 1; }

# The program runs under memcheck in place of itself; D-Bus may fork it, and the fork is
# checked as well.
wrapper="$ARTIFACTS/duplora-under-memcheck"
{
    printf '#!/bin/bash\nexec '
    printf '%q ' "${MEMCHECK[@]}" --log-file="$ARTIFACTS/memcheck-game-%p.log" "$DUPLORA"
    printf '"$@"\n'
} >"$wrapper"
chmod +x "$wrapper"
DUPLORA="$wrapper" PLAYER=Ana WAIT_EVERY=4 bash "$(dirname "$0")/bot_game.sh"

for log in "$ARTIFACTS"/memcheck-*.log; do
    grep -q 'ERROR SUMMARY: 0 errors' "$log" || { cat "$log"; echo "FAIL: memcheck found errors ($log)"; exit 1; }
done
echo "PASS: a whole game and the time-out run clean under memcheck; logs in $ARTIFACTS"
