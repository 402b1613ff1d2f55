#!/usr/bin/env bash
# The tower as a user meets it, in the preview window on the sample wishes: under Xvfb, driven by
# xdotool. Taps the bottom middle stone, takes it down with the two presses and checks the saved
# file; then takes down the next one and quits at once, which must not bring that wish back.
# The program runs under the C locale, as in a bare container, with Hangul in the path of its file.
set -euo pipefail

kivvo="$1"
tools=(Xvfb xdotool)
source "$(dirname "$0")/lib.sh"
start_display
export TMPDIR="$TMPDIR/임시 폴더"
mkdir -p "$TMPDIR"
save="$TMPDIR/kivvo-preview.json"

LC_ALL=C KIVVO_WINDOW=1 KIVVO_SCREEN=tower "$kivvo" >"$scratch/kivvo.log" 2>&1 &
kivvo_pid=$!
pids+=("$kivvo_pid")
window_id() { xdotool search --onlyvisible --name '^키보 미리보기$' 2>/dev/null | head -1; }
has_window() { test -n "$(window_id)"; }
wait_for 100 has_window || fail "no preview window"
read -r wx wy ww wh <<<"$(geometry_of "$(window_id)")"
echo "preview window at $wx,$wy ${ww}x$wh"
((ww == 320 && wh == 470)) || fail "window is ${ww}x$wh, not 320x470"
sleep 0.5

wishes_saved() { grep -o '"seed":' "$save" 2>/dev/null | wc -l; }
# The first stone sits in the middle of the bottom row; its top half shows between its neighbours.
# The delete chip is at the right of the card's footer row.
take_down_first_stone() {
    xdotool mousemove $((wx + 160)) $((wy + 318)) click 1
    sleep 0.6
    xdotool mousemove $((wx + 267)) $((wy + 415)) click 1
    sleep 0.5
}

take_down_first_stone
[[ ! -e "$save" ]] || fail "the first press already changed the file"
xdotool click 1
wait_for 30 test -e "$save" || fail "the second press deleted nothing"
(($(wishes_saved) == 4)) || fail "$(wishes_saved) wishes saved, expected 4"
grep -q '올해는 마음이 단단해지기' "$save" && fail "the deleted wish is still saved"
# The last stone filled the hole; let it settle there.
grep -q '"text":"더 자주 웃기"' "$save" || fail "the last wish went missing"
sleep 1.5

# Again, and "종료" at once: the deletion waiting for its stone to shrink still happens.
take_down_first_stone
xdotool click 1 mousemove $((wx + 294)) $((wy + 452)) click 1
wait_for 50 bash -c "! kill -0 $kivvo_pid 2>/dev/null" || fail "the window did not quit"
(($(wishes_saved) == 3)) || fail "$(wishes_saved) wishes saved after quitting, expected 3"
grep -q '더 자주 웃기' "$save" && fail "quitting brought the deleted wish back"
echo "PASS"
