#!/usr/bin/env bash
# Two monitors side by side (RandR monitors on one Xvfb screen of 3360 x 1080): a 1440 x 900 laptop
# at scale 2 on the left, a 1920 x 1080 monitor at scale 1 on the right, under openbox with a tray
# host. The floating rock crosses the seam both ways, never drawn where no monitor is, and stays
# whole; the panel opens under the icon on either monitor, also on the first click after the tray
# moved; the monitor holding the open panel is unplugged and the panel comes back on the other one,
# laid out and drawn for it and clear of the icon.
set -euo pipefail

kivvo="$1"
tools=(Xvfb openbox trayer xdotool xrandr xsetroot xwininfo xprop /usr/bin/python3)
source "$(dirname "$0")/lib.sh"
/usr/bin/python3 -c 'import gi; gi.require_version("Gdk", "3.0")' 2>/dev/null || {
    echo "SKIP: python3-gi with Gdk 3 is not installed"
    exit 77
}
shot_tool="$(dirname "$0")/tools/shot.py"
start_display 3360x1080
xrandr --setmonitor KIVVO-LAPTOP 1440/380x900/240+0+0 screen >/dev/null
xrandr --setmonitor KIVVO-WIDE 1920/500x1080/280+1440+0 none >/dev/null
# A root of one colour, so that a picture left black shows.
xsetroot -solid '#3a6ea5'
start_openbox
tray_pid=
# The tray host at the top right of one monitor (0 the laptop, 1 the wide one).
tray_on() {
    [[ -n "$tray_pid" ]] && kill "$tray_pid" 2>/dev/null
    trayer --edge top --align right --widthtype request --height 32 --SetDockType true --SetPartialStrut true \
        --monitor "$1" >/dev/null 2>&1 &
    tray_pid=$!
    pids+=("$tray_pid")
}
tray_on 1

save="$XDG_DATA_HOME/Kivvo/data.json"
mkdir -p "$(dirname "$save")"
printf '{"hasOnboarded":true,"wishes":[],"isIdleRockEnabled":true,"idleRockScale":1}' >"$save"
xdotool mousemove 400 500
QT_SCREEN_SCALE_FACTORS="KIVVO-LAPTOP=2;KIVVO-WIDE=1" "$kivvo" >"$scratch/kivvo.log" 2>&1 &
pids+=($!)
find_icon

rock_id() { xwininfo -root -children | awk '/"Kivvo rock"/ {print $1; exit}'; }
wait_for 50 test -n "$(rock_id)" || fail "no floating rock"
rock="$(rock_id)"
on_a_monitor() { # x y: the laptop's pixels, or the wide monitor's
    (($1 >= 0 && $1 < 1440 && $2 >= 0 && $2 < 900)) || (($1 >= 1440 && $1 < 3360 && $2 >= 0 && $2 < 1080))
}
# Moves the pointer along y = 500 in steps of 20 pixels, 20 ms apart, and checks after every step
# that the rock's middle lies on a monitor.
sweep() {
    local x="$1" step=$(($2 > $1 ? 20 : -20)) rx ry rw rh
    while ((step > 0 ? x <= $2 : x >= $2)); do
        xdotool mousemove "$x" 500
        read -r rx ry rw rh <<<"$(client_geometry "$rock")"
        on_a_monitor $((rx + rw / 2)) $((ry + rh / 2)) || fail "the rock is at $rx,$ry ${rw}x$rh, on no monitor"
        sleep 0.02
        x=$((x + step))
    done
}
# The rock has settled beside the pointer on that monitor, its size that monitor's (a tenth of a
# 900 or 1080 pixel high screen, scale 1), and no part of its square is black.
rock_whole_on() {
    local rx ry rw rh share
    read -r rx ry rw rh <<<"$(client_geometry "$rock")"
    ((rw == rh && rw >= $2 && rw <= $3)) || { why="the rock is ${rw}x$rh"; return 1; }
    on_a_monitor $((rx + rw / 2)) $((ry + rh / 2)) && (($1 == 0 ? rx < 1440 : rx >= 1440)) ||
        { why="the rock is at $rx,$ry"; return 1; }
    /usr/bin/python3 "$shot_tool" x11 "$scratch/rock.png"
    share="$(/usr/bin/python3 "$shot_tool" black "$scratch/rock.png" "$rx" "$ry" "$rw" "$rh")"
    why="$share of the rock's square at $rx,$ry ${rw}x$rh is black"
    [[ "$share" == 0.0[0-4] ]]
}
check_rock() { wait_for 30 rock_whole_on "$@" || fail "$why"; }

# 2 x 84 points on the laptop, 108 on the wide monitor.
check_rock 0 160 176
sweep 1300 1700
check_rock 1 100 116
sweep 1700 1300
sweep 1300 400
check_rock 0 160 176
echo "the rock crossed the seam both ways, whole"

# The panel's frame 8 points under the tray's 32-pixel strip, inside the icon's monitor.
open_panel() {
    find_icon
    click_icon
    wait_for 50 panel_shown || fail "a click on the icon showed no panel"
    panel="$(panel_id)"
}
under_icon() { # points-to-pixels of the icon's monitor, its left and right edges
    read -r fx fy fw fh <<<"$(frame_geometry "$panel")"
    ((fy == 32 + 8 * $1 && fx >= $2 && fx + fw <= $3))
}
close_panel() {
    click_icon
    wait_for 30 panel_hidden || fail "the icon did not put the panel away"
}
# The tray moves from the wide monitor to the laptop: the first click keeps the gap in the laptop's
# pixels.
tray_on 0
sleep 1
open_panel
wait_for 30 under_icon 2 0 1440 || fail "on the laptop the panel's frame is at $fx,$fy ${fw}x$fh"
close_panel
tray_on 1
sleep 1
open_panel
wait_for 30 under_icon 1 1440 3360 || fail "on the wide monitor the panel's frame is at $fx,$fy ${fw}x$fh"
echo "the panel opened under the icon on either monitor"

# The laptop goes with the panel open on it (the wide monitor takes over the display's output): the
# panel comes to the wide monitor laid out at its scale, 320 x 470 points, footer and all, clear of
# the icon left where the laptop was.
close_panel
tray_on 0
sleep 1
open_panel
read -r ix iy iw ih <<<"$(geometry_of "$(icon_id)")"
xrandr --setmonitor KIVVO-WIDE-ALONE 1920/500x1080/280+1440+0 screen >/dev/null
xrandr --delmonitor KIVVO-WIDE >/dev/null
on_wide() {
    read -r fx fy fw fh <<<"$(frame_geometry "$panel")"
    read -r px py pw ph <<<"$(client_geometry "$panel")"
    ((fx >= 1440 && fy >= 0 && fx + fw <= 3360 && fy + fh <= 1080 && pw == 320 && ph == 470)) &&
        ((fx + fw <= ix || fx >= ix + iw || fy >= iy + ih))
}
wait_for 50 on_wide || fail "after the unplug the panel's frame is at $fx,$fy ${fw}x$fh (${pw}x$ph inside)"
# "종료" at the bottom right, drawn where the whole-size panel has it.
/usr/bin/python3 "$shot_tool" x11 "$scratch/panel.png"
[[ -n "$(/usr/bin/python3 "$shot_tool" box "$scratch/panel.png" $((px + 280)) $((py + 440)) 36 24)" ]] ||
    fail "nothing drawn where the panel's footer is"
xdotool mousemove 2400 600
check_rock 1 100 116
echo "PASS: two monitors"
