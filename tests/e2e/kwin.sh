#!/usr/bin/env bash
# The companion in a headless KWin session, through Xwayland, with waybar as the StatusNotifier host:
# its icon registered and drawn in the bar, the panel opened by a click on the icon and placed next to
# it, the rock following the pointer over a native Wayland window and over an X11 window, a click on
# the rock reaching the native window beneath, "종료" ending it and its pointer script unloaded.
set -euo pipefail

tools=(kwin_wayland waybar Xwayland)
source "$(dirname "$0")/wayland-lib.sh" "$1" "$2" kwin

# kwin_wayland carries a file capability that a container refuses at exec; a plain copy has none.
cp "$(command -v kwin_wayland)" "$bin/kwin_wayland"

start_bus
# Fake input (the test pointer) and screenshots for any client: a test session only.
KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 XDG_SESSION_TYPE=wayland \
    XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true \
    "$bin/kwin_wayland" --virtual --xwayland --width 1440 --height 900 --socket kivvo-e2e --no-lockscreen \
    --no-global-shortcuts --no-kactivities >"$scratch/kwin.log" 2>&1 &
pids+=($!)
export WAYLAND_DISPLAY=kivvo-e2e
wait_for 150 test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" || fail "KWin did not start: $(tail -5 "$scratch/kwin.log")"
wait_for 100 bus_has org.kde.KWin || fail "KWin is not on the session bus"
find_xwayland

# waybar with only a tray on a bar of one colour, so the icon is the only thing drawn on its right.
mkdir -p "$XDG_CONFIG_HOME/waybar"
echo '{"layer": "top", "position": "top", "height": 32, "modules-right": ["tray"], "tray": {"icon-size": 22}}' \
    >"$XDG_CONFIG_HOME/waybar/config"
echo 'window#waybar { background: #203040; border: none; } * { border: none; border-radius: 0; }' \
    >"$XDG_CONFIG_HOME/waybar/style.css"
GDK_BACKEND=wayland waybar >"$scratch/waybar.log" 2>&1 &
pids+=($!)
wait_for 100 host_ready || fail "waybar registered no StatusNotifier host"
start_pointer

kwin_call() { gdbus call --session -d org.kde.KWin "$@"; }
shoot() { /usr/bin/python3 "$bin/shot.py" kwin "$(shot "$1")" || fail "no screenshot from KWin"; }
# A one-off KWin script: loaded, run, unloaded.
kwin_script() {
    local file="$scratch/$1.js" id
    printf '%s\n' "$2" >"$file"
    id="$(kwin_call -o /Scripting -m org.kde.kwin.Scripting.loadScript "$file" "$1" | grep -oE '[0-9]+' | head -1)"
    kwin_call -o "/$id" -m org.kde.kwin.Script.run >/dev/null
    sleep 0.2
    kwin_call -o /Scripting -m org.kde.kwin.Scripting.unloadScript "$1" >/dev/null
}
place() {
    kwin_script "place-$1" "workspace.clientList().forEach(c => { if (c.caption == '$1')
        c.frameGeometry = {x: $2, y: $3, width: $4, height: $5}; });"
}
script_is() { kwin_call -o /Scripting -m org.kde.kwin.Scripting.isScriptLoaded kivvo-pointer | grep -q "$1"; }
script_loaded() { script_is true; }
script_unloaded() { script_is false; }

# Side by side: a click on the rock beside the X11 window's right edge falls on the native window.
start_window native wayland
start_window x11 x11
place x11 40 120 640 400
place native 680 120 720 400
session_up_seconds="$(elapsed)"

# The test's own clicks reach the native window (where no rock is yet).
check_click() {
    local before
    before="$(presses native)"
    click_at 1000 420
    pressed native "$before"
}
check "the test pointer's click reaches the native window" check_click

# The companion starts with the pointer over the native window: its rock starts there.
last_pointer="1000 420"
start_kivvo
wait_for 50 rock_known || true
check "the companion keeps running" kivvo_runs
check "the icon is registered with the StatusNotifier watcher" wait_for 50 item_registered
check "the icon is drawn in the bar" wait_for 10 has_icon_box
check "the pointer script is loaded while the companion runs" wait_for 20 script_loaded
check "the rock starts beside the pointer" wait_for 30 rock_beside 1000 420

# The rock sits below and right of the pointer, lags behind it and stops while the pointer is on it:
# each glide goes up or left of the last point, so that the pointer never runs into the rock.
check "the rock follows over the native window" rock_follows_to 800 250
check "the rock is drawn where it is said to be" rock_drawn rock-native
# Over the X11 window by its right edge, the rock beside the pointer lies over the native window.
check "the rock follows over the X11 window" rock_follows_to 670 200
check "a click on the rock reaches the native window beneath" click_through 680 120 1400 520
check "the rock follows again over the X11 window" rock_follows_to 450 180
check "the rock follows once more over the X11 window" rock_follows_to 250 150

check_panel_and_quit
check "the pointer script is unloaded after the companion ends" wait_for 20 script_unloaded
finish
