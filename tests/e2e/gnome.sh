#!/usr/bin/env bash
# The companion in a headless GNOME Shell session with its shell extension, the AppIndicator extension as
# the StatusNotifier host, and a test-only helper extension (unsafe mode: the test drives a virtual
# pointer, asks the shell what it shows and takes screenshots through org.gnome.Shell.Eval and
# Screenshot): its icon registered and drawn in the top bar, the panel opened by a click on the icon
# and placed next to it, the rock (the extension's actor) following the pointer over a native Wayland
# window and over an X11 window, a click on the rock reaching the native window beneath, "종료" ending
# it and its actor gone. Then, with the extension disabled, the rock rests at the bottom right.
# Arguments: the kivvo binary, the shell extension's folder.
set -euo pipefail

tools=(gnome-shell gnome-extensions gsettings Xwayland)
appindicator=/usr/share/gnome-shell/extensions/ubuntu-appindicators@ubuntu.com
if [[ ! -f "$appindicator/metadata.json" ]]; then
    echo "SKIP: the AppIndicator extension (gnome-shell-extension-appindicator) is missing"
    exit 77
fi
extension_built="$2"
source "$(dirname "$0")/wayland-lib.sh" "$1" - gnome
[[ -f "$extension_built/metadata.json" ]] || fail "no shell extension in $extension_built"

# The extensions, enabled before the shell starts; settings in a key file, since the session's bus
# activates no settings service.
export GSETTINGS_BACKEND=keyfile XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME
extensions="$XDG_DATA_HOME/gnome-shell/extensions"
mkdir -p "$extensions/kivvo-test-helper@kivvo.org"
cp -r "$extension_built" "$extensions/kivvo@kivvo.org"
# The helper in the module format of the shell that runs it: ES modules from GNOME 45 on.
helper="$here/tools/gnome-helper" format=legacy
(($(gnome-shell --version | grep -oE '[0-9]+' | head -1) >= 45)) && format=module
cat "$helper/$format-head.js" "$helper/helper.js" "$helper/$format-tail.js" \
    >"$extensions/kivvo-test-helper@kivvo.org/extension.js"
cp "$helper/metadata.json" "$extensions/kivvo-test-helper@kivvo.org/"
gsettings set org.gnome.shell disable-user-extensions false
gsettings set org.gnome.shell enabled-extensions \
    "['ubuntu-appindicators@ubuntu.com', 'kivvo-test-helper@kivvo.org', 'kivvo@kivvo.org']"
gsettings set org.gnome.shell welcome-dialog-last-shown-version "'999'"

# The shell dies without a system bus (it asks the login manager): a private stand-in serves.
start_bus
sed -e "s|<type>session</type>|<type>system</type>|" -e "s|$scratch/bus|$scratch/system-bus|" \
    "$scratch/bus.conf" >"$scratch/system-bus.conf"
dbus-daemon --nofork --config-file="$scratch/system-bus.conf" >"$scratch/system-bus.log" 2>&1 &
pids+=($!)
wait_for 50 test -S "$scratch/system-bus" || fail "the stand-in system bus did not start"
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$scratch/system-bus"

gnome-shell --wayland --headless --virtual-monitor 1440x900 --wayland-display kivvo-e2e \
    >"$scratch/gnome-shell.log" 2>&1 &
pids+=($!)
export WAYLAND_DISPLAY=kivvo-e2e

# JavaScript run in the shell; prints its value as JSON (a string without its quotes), fails on an error.
shell_eval() {
    local reply
    reply="$(gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell -m org.gnome.Shell.Eval "$1" 2>&1)" ||
        return 1
    [[ "$reply" == "(true, '"*"')" ]] || { why="the shell answered $reply" && return 1; }
    reply="${reply#(true, \'}" reply="${reply%\')}"
    reply="${reply#\"}"
    echo "${reply%\"}"
}
shell_ready() { [[ "$(shell_eval 'Main.layoutManager._startingUp')" == false ]]; }
wait_for 200 shell_ready ||
    fail "GNOME Shell did not start (or the test helper gave no Eval): $(tail -5 "$scratch/gnome-shell.log")"
find_xwayland
extension_state() { shell_eval "Main.extensionManager.lookup('$1')?.state ?? 'none'"; }
# State 1 is ENABLED.
for uuid in ubuntu-appindicators@ubuntu.com kivvo@kivvo.org; do
    wait_for 50 test "$(extension_state "$uuid")" == 1 ||
        fail "the extension $uuid is not enabled (state $(extension_state "$uuid")):" \
            "$(grep -i "$uuid" "$scratch/gnome-shell.log" | tail -3)"
done
wait_for 50 host_ready || fail "the AppIndicator extension registered no StatusNotifier host"

# The pointer: a Clutter virtual pointer made in the shell, moved and clicked through Eval.
shell_eval 'const {Clutter, GLib} = imports.gi;
    const device = Clutter.get_default_backend().get_default_seat()
        .create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);
    global._kivvoTest = {
        move: (x, y) => device.notify_absolute_motion(GLib.get_monotonic_time(), x, y),
        button: pressed => device.notify_button(GLib.get_monotonic_time(), Clutter.BUTTON_PRIMARY,
            pressed ? Clutter.ButtonState.PRESSED : Clutter.ButtonState.RELEASED),
    }; "ok"' >/dev/null || fail "no virtual pointer in the shell: ${why:-}"
pointer() {
    case "$1" in
    move) shell_eval "global._kivvoTest.move($2, $3)" >/dev/null ;;
    click)
        shell_eval "global._kivvoTest.button(true)" >/dev/null && sleep 0.03 &&
            shell_eval "global._kivvoTest.button(false)" >/dev/null
        ;;
    esac || fail "the virtual pointer did not take: $*"
}
shoot() {
    gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell/Screenshot -m org.gnome.Shell.Screenshot.Screenshot \
        false false "$(shot "$1")" >/dev/null || fail "no screenshot from the shell"
}
# The frame "X Y W H" of the window titled $1, as the shell has it.
window_frame() {
    shell_eval "global.get_window_actors().map(a => a.meta_window).filter(w => w.get_title() === '$1')
        .map(w => (r => [r.x, r.y, r.width, r.height].join(' '))(w.get_frame_rect()))[0] ?? ''"
}
# Asks again until the window has that frame: a new window may still be settling its own size.
placed() {
    shell_eval "global.get_window_actors().map(a => a.meta_window).filter(w => w.get_title() === '$1')
        .forEach(w => w.move_resize_frame(false, $2, $3, $4, $5)); 'ok'" >/dev/null
    sleep 0.1
    [[ "$(window_frame "$1")" == "$2 $3 $4 $5" ]]
}
place() { wait_for 30 placed "$@" || fail "the shell did not place $1 at $2,$3 ${4}x$5: $(window_frame "$1")"; }
panel_frame() { window_frame 키보; }
panel_shown() { test -n "$(panel_frame)"; }
# The companion's icon in the top bar, drawn by the AppIndicator extension: the button of the item whose
# bus name belongs to the companion's process, mapped, in `button` ("X Y W H"); then its box, where the
# screenshot shows something in that button.
find_icon_button() {
    local entry name buttons
    button=""
    buttons="$(shell_eval "Object.entries(Main.panel.statusArea).filter(([k, b]) => k.startsWith('appindicator-')
        && b?._indicator && b.is_mapped()).map(([k, b]) => [b._indicator.busName,
        ...b.get_transformed_position(), ...b.get_transformed_size()].map(v => typeof v === 'number'
        ? Math.round(v) : v).join(' ')).join(';')")" || return 1
    while read -r name entry; do
        in_session gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
            -m org.freedesktop.DBus.GetConnectionUnixProcessID "$name" 2>/dev/null |
            grep -qE "\(uint32 $kivvo_pid,\)" && button="$entry" && return 0
    done < <(tr ';' '\n' <<<"$buttons")
    why="no button for the companion in the top bar; AppIndicator buttons (bus name X Y W H): ${buttons:-none}"
    return 1
}
icon_box() {
    find_icon_button || return 0
    shoot bar
    # shellcheck disable=SC2086 # X Y W H
    in_session /usr/bin/python3 "$bin/shot.py" box "$(shot bar)" $button
}
has_icon_box() {
    local box
    box="$(icon_box)"
    read -r ix iy iw ih <<<"$box"
    [[ -n "$ih" ]] || { find_icon_button && why="nothing drawn in the icon's button at $button in bar.png"; }
    [[ -n "$ih" ]]
}

# The shell's rock: "X Y W H VISIBLE" of the actor named kivvo-rock in the shell's top layer, if any.
rock_actor() {
    shell_eval "(a => a ? [a.x, a.y, a.width, a.height, a.visible].map(v => typeof v === 'number'
        ? Math.round(v) : v).join(' ') : '')
        (Main.layoutManager.uiGroup.get_children().find(c => c.name === 'kivvo-rock'))"
}
no_rock_actor() {
    local actor
    actor="$(rock_actor)" || return 1
    why="the shell still has the rock actor at $actor"
    [[ -z "$actor" ]]
}
# The rock is the extension's actor, shown where the companion says its rock is.
rock_is_actor() {
    local actor
    actor="$(rock_actor)"
    [[ -n "$actor" ]] || {
        why="no 'kivvo-rock' actor in the shell: the companion did not take the extension's rock"
        why+=" (its own rock: $(rock_frame || true))"
        return 1
    }
    why="actor $actor, the companion's rock at $(rock_frame)"
    [[ "$actor" == "$(rock_frame) true" ]]
}
rock_follows_as_actor() { rock_follows_to "$1" "$2" && wait_for 5 rock_is_actor; }

start_window native wayland
start_window x11 x11
place x11 40 120 640 400
place native 680 120 720 400
session_up_seconds="$(elapsed)"
echo "session up in $session_up_seconds s"

check_click() {
    local before
    before="$(presses native)"
    click_at 1000 420
    pressed native "$before"
}
check "the virtual pointer's click reaches the native window" check_click

last_pointer="1000 420"
start_kivvo
wait_for 50 rock_known || true
check "the companion keeps running" kivvo_runs
check "the icon is registered with the StatusNotifier watcher" wait_for 50 item_registered
check "the icon is drawn in the top bar" wait_for 30 has_icon_box
check "the rock is the shell's actor" wait_for 30 rock_is_actor
check "the rock starts beside the pointer" wait_for 30 rock_beside 1000 420
check "the rock follows over the native window" rock_follows_as_actor 800 250
check "the rock is drawn where it is said to be" rock_drawn rock-native
check "the rock follows over the X11 window" rock_follows_as_actor 670 200
check "a click on the rock reaches the native window beneath" click_through 680 120 1400 520
check "the rock follows again over the X11 window" rock_follows_as_actor 450 180
check_panel_and_quit
check "the rock's actor is gone once the companion ends" wait_for 20 no_rock_actor

# Without the extension the companion keeps its own rock at rest (disabled at once on Wayland).
mv "$scratch/kivvo.log" "$scratch/kivvo-with-extension.log"
gnome-extensions disable kivvo@kivvo.org
wait_for 20 test "$(extension_state kivvo@kivvo.org)" != 1 || fail "gnome-extensions did not disable the extension"
pointer_at 300 300
last_pointer="300 300"
start_kivvo
wait_for 50 rock_known || true
check "without the extension: the rock rests at the bottom right" wait_for 30 rock_at_rest
rest="$(rock_frame || true)"
shoot rest-without-extension
check "without the extension: the rock stays while the pointer is over the X11 window" stays 400 350
check "without the extension: the rock stays while the pointer is over the native window" stays 900 400
check "without the extension: the shell shows no rock actor" no_rock_actor
finish
