#!/usr/bin/env bash
# Without a mouse, under openbox with a tray host. A newcomer opens the panel as a launcher would (by
# starting Kivvo again), draws the rock with Return, keeps it, chooses the ready-made rock, takes it
# home and tells a typed wish, all with keys. Then, over a tower of three wishes, the keyboard reads
# the second-newest stone's card and takes that stone down.
set -euo pipefail

kivvo="$1"
tools=(Xvfb openbox trayer xdotool xprop /usr/bin/python3)
source "$(dirname "$0")/lib.sh"
start_display
start_openbox
start_tray
save="$XDG_DATA_HOME/Kivvo/data.json"

stop_kivvo() {
    kill "$kivvo_pid"
    wait "$kivvo_pid" 2>/dev/null || true
}
panel_active() { [[ "$(xdotool getactivewindow 2>/dev/null)" == "$(panel_id)" ]]; }
# A second start asks the running companion to show its panel, in front and with the keyboard.
open_by_launcher() {
    "$kivvo" >>"$scratch/second.log" 2>&1
    wait_for 50 panel_shown || fail "starting Kivvo again showed no panel"
    wait_for 50 panel_active || fail "the panel did not take the keyboard"
    sleep 0.3
}
key() {
    xdotool key --clearmodifiers "$@"
    sleep 0.2
}
# A value of the save file, read with Python: the expression is applied to the parsed file `d`.
saved() { /usr/bin/python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print($1)" "$save" 2>/dev/null; }
saved_is() { [[ "$(saved "$1")" == "$2" ]]; }

# The first run, keys only.
start_kivvo
open_by_launcher
key Tab Return               # the canvas; Return draws a rounded rock
key Tab Tab space            # "다시 그리기", "이걸로 할래"
wait_for 30 saved_is "d.get('customRockShape') is not None" True || fail "keeping the drawing saved no shape"
key Tab space                # "기본 돌", chosen
key Tab Tab Tab space        # "내가 그린 돌", "다시 그리기", "기본 돌 데려가기"
wait_for 30 saved_is "d['hasOnboarded'], d['usesCustomRock']" "True False" ||
    fail "the first run did not end with the ready-made rock: $(cat "$save")"
# Home opens on the talk screen with the keyboard in the wish field.
xdotool type --delay 40 "keys only"
key Return
wait_for 30 saved_is "[w['text'] for w in d['wishes']]" "['keys only']" || fail "the typed wish was not kept: $(cat "$save")"
echo "the first run and a wish, with keys only"
stop_kivvo

# A tower of three: the second-newest read and taken down.
/usr/bin/python3 - "$save" <<'PY'
import json, sys, uuid
data = json.load(open(sys.argv[1]))
data["wishes"] = [{"id": str(uuid.uuid4()).upper(), "text": t, "createdAt": 800000000 + i, "seed": 0.5}
                  for i, t in enumerate(["oldest", "middle", "newest"])]
json.dump(data, open(sys.argv[1], "w"))
PY
start_kivvo
open_by_launcher
key shift+Tab shift+Tab space # from the wish field back to "돌꾸", "돌탑"
key Tab Down Return           # the pile, on the newest; the next one down; its card
key Tab Tab space space       # the card's text, "돌 내리기" twice
wait_for 50 saved_is "[w['text'] for w in d['wishes']]" "['oldest', 'newest']" ||
    fail "the second-newest stone was not taken down: $(cat "$save")"
echo "PASS: without a mouse"
