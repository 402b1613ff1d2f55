#!/usr/bin/env bash
# The companion as a user meets it: under Xvfb with a tray host, driven by xdotool. Starts kivvo
# with a scratch HOME, opens the panel from the tray icon, draws and keeps a rock, checks the save
# file, launches a second copy, watches the floating rock follow the pointer and let a click through,
# and quits from the panel.
set -euo pipefail

kivvo="$1"
tools=(Xvfb trayer xdotool xev)
source "$(dirname "$0")/lib.sh"
start_display
trayer --edge top --align right --widthtype request --height 32 --SetDockType true >/dev/null 2>&1 &
pids+=($!)

# A window beneath the floating rock, to see clicks go through it; mapped first, so the rock is above.
xev -geometry 400x300+100+450 -name beneath >"$scratch/xev.log" 2>&1 &
pids+=($!)
wait_for 50 xdotool search --name '^beneath$' >/dev/null || fail "no window to click through to"

save="$XDG_DATA_HOME/Kivvo/data.json"

xdotool mousemove 700 300
"$kivvo" >"$scratch/kivvo.log" 2>&1 &
kivvo_pid=$!
pids+=("$kivvo_pid")

# The tray icon docks into trayer at the top right.
icon_id() { xdotool search --classname '^kivvo$' 2>/dev/null | while read -r w; do
    read -r x y ww hh <<<"$(geometry_of "$w")"
    ((y < 32 && ww <= 40 && x > 1300)) && echo "$w" && break
done; }
has_icon() { test -n "$(icon_id)"; }
wait_for 100 has_icon || fail "no tray icon"
read -r ix iy iw ih <<<"$(geometry_of "$(icon_id)")"
echo "tray icon at $ix,$iy ${iw}x$ih"

rock_id() { xdotool search --name '^Kivvo rock$' 2>/dev/null | head -1; }
has_rock() { test -n "$(rock_id)"; }
wait_for 50 has_rock || fail "no floating rock at start"

panel_id() { xdotool search --onlyvisible --name '^키보$' 2>/dev/null | head -1; }
panel_shown() { test -n "$(panel_id)"; }
panel_hidden() { test -z "$(panel_id)"; }
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
wait_for 50 panel_shown || fail "a click on the icon showed no panel"
panel="$(panel_id)"
read -r px py pw ph <<<"$(geometry_of "$panel")"
echo "panel at $px,$py ${pw}x$ph"
((pw == 320 && ph == 470)) || fail "panel is ${pw}x$ph, not 320x470"
# Centred under the icon but 8 inside the right edge; its top 8 below the icon.
((px == 1440 - 8 - 320)) || fail "panel left edge $px, expected 1112"
near "$py" $((iy + ih + 8)) 2 || fail "panel top $py, expected $((iy + ih + 8))"

# Draw a rock: one closed loop on the 224-point canvas (48 in from the panel's sides, 82 down).
cx=$((px + 48 + 112)) cy=$((py + 82 + 112))
path=(mousemove $((cx + 90)) $cy mousedown 1)
for ((i = 1; i <= 48; i++)); do
    read -r x y < <(awk -v i="$i" -v cx="$cx" -v cy="$cy" \
        'BEGIN { t = 6.283185307 * i / 48; printf "%d %d\n", cx + 90 * cos(t), cy + 80 * sin(t) }')
    path+=(mousemove "$x" "$y" sleep 0.02)
done
xdotool "${path[@]}" mouseup 1
sleep 1
# "이걸로 할래" keeps it; then "내가 그린 돌 데려가기" takes the drawn rock. Both sit 394 down.
xdotool mousemove $((px + 205)) $((py + 394)) click 1
sleep 1
xdotool mousemove $((px + 160)) $((py + 394)) click 1
wait_for 50 grep -q '"hasOnboarded":true' "$save" || fail "onboarding was not saved"
grep -q '"usesCustomRock":true' "$save" || fail "the drawn rock is not in use"
grep -q '"customRockShape":{"points":\[{' "$save" || fail "the drawn shape was not saved"
[[ "$(stat -c %a "$save")" == 600 ]] || fail "the save file is not private"

# Home: a wish typed on the talk screen (its text box under the header, the rock and its line) is
# saved and drops onto the tower, where the stone is tapped and taken down with two presses.
sleep 0.8
xdotool mousemove $((px + 100)) $((py + 322)) click 1
xdotool type --delay 50 "sun"
xdotool key Return
wait_for 30 grep -q '"text":"sun"' "$save" || fail "the told wish was not saved"
sleep 1.5
# It arrives selected, its card open. A tap on the empty tower closes the card; a tap on the only
# stone, in the middle of the bottom row, opens it again. The delete chip is at the card's footer.
xdotool mousemove $((px + 160)) $((py + 150)) click 1
sleep 0.6
xdotool mousemove $((px + 160)) $((py + 335)) click 1
sleep 0.6
xdotool mousemove $((px + 267)) $((py + 415)) click 1
sleep 0.4
grep -q '"text":"sun"' "$save" || fail "the first press of the delete chip already deleted"
xdotool click 1
wait_for 30 grep -q '"wishes":\[\]' "$save" || fail "the stone was not taken down"
# "돌꾸", the third segment; its colour menu opens under the field and black is its second item.
xdotool mousemove $((px + 158)) $((py + 27)) click 1
sleep 0.6
xdotool mousemove $((px + 233)) $((py + 315)) click 1
sleep 0.5
xdotool key Down Down Return
wait_for 30 grep -q '"rockColor":"black"' "$save" || fail "the colour was not saved"
echo "told, dropped, taken down and recoloured"

# The icon hides the panel; a second launch shows it again and leaves at once.
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
wait_for 30 panel_hidden || fail "a second click did not hide the panel"
before="$(md5sum <"$save")"
timeout 10 "$kivvo" >"$scratch/second.log" 2>&1 || fail "the second launch exited with $?"
wait_for 30 panel_shown || fail "the second launch did not show the first one's panel"
[[ "$(md5sum <"$save")" == "$before" ]] || fail "the second launch wrote the save file"
kill -0 "$kivvo_pid" || fail "the first companion is gone"

# A resting rock wakes at once when a pointer device moves (XTest motion counts as one; xdotool's
# warps do not, and are caught by a slower look instead).
if command -v xte >/dev/null; then
    xdotool mousemove 600 250
    sleep 2.5
    read -r rx0 ry0 _ _ <<<"$(geometry_of "$(rock_id)")"
    xte "mousemove 900 250"
    sleep 0.25
    read -r rx1 _ _ _ <<<"$(geometry_of "$(rock_id)")"
    ((rx1 > rx0 + 20)) || fail "the resting rock did not wake on pointer motion ($rx0 -> $rx1)"
fi

# The floating rock follows the pointer: right of it and below (y grows down here).
xdotool mousemove 250 600
sleep 0.1
xdotool mousemove 300 520
rock_follows() {
    read -r rx ry rw rh <<<"$(geometry_of "$(rock_id)")"
    near "$rx" $((300 + rw * 17 / 100)) 2 && near "$ry" $((520 + rh * 20 / 100)) 2
}
wait_for 30 rock_follows || fail "the rock did not follow the pointer: $(geometry_of "$(rock_id)")"
read -r rx ry rw rh <<<"$(geometry_of "$(rock_id)")"
echo "rock at $rx,$ry ${rw}x$rh"

# It lies over the window beneath; a click on its middle reaches that window.
xdotool mousemove $((rx + rw / 2)) $((ry + rh / 2))
sleep 0.5
read -r rx2 ry2 _ _ <<<"$(geometry_of "$(rock_id)")"
# It only finishes the last point or two of its approach.
near "$rx2" "$rx" 3 && near "$ry2" "$ry" 3 || fail "the rock ran from the pointer instead of stopping"
presses_before="$(grep -c ButtonPress "$scratch/xev.log" || true)"
xdotool click 1
clicked_beneath() { (($(grep -c ButtonPress "$scratch/xev.log") > presses_before)); }
wait_for 20 clicked_beneath ||
    fail "the click did not pass through the rock"

# "종료" at the panel's bottom right ends the companion with status 0.
read -r px py _ _ <<<"$(geometry_of "$(panel_id)")"
xdotool mousemove $((px + 298)) $((py + 451)) click 1
for ((i = 0; i < 50; i++)); do
    kill -0 "$kivvo_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$kivvo_pid" 2>/dev/null && fail "quitting did not end the companion"
wait "$kivvo_pid" && status=0 || status=$?
((status == 0)) || fail "the companion exited with status $status"
echo "PASS: the companion ran end to end"
