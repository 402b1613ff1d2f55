#!/usr/bin/env bash
# The companion in a headless sway session, through Xwayland, with swaybar as the StatusNotifier host:
# its icon registered and drawn in the bar, the panel opened by a click on the icon and placed next to
# it; sway tells no one where the pointer is, so the rock rests at the bottom right of the screen, below
# the bar, and stays there while the pointer moves over a native Wayland window and an X11 window;
# a click on it reaches the native window beneath; "종료" ends the companion.
set -euo pipefail

tools=(sway swaymsg swaybar grim Xwayland)
source "$(dirname "$0")/wayland-lib.sh" "$1" "$2" sway

session_as_user
start_bus
mkdir -p "$XDG_CONFIG_HOME/sway"
# The bar shows only the tray on the right (no status line), on black.
cat >"$XDG_CONFIG_HOME/sway/config" <<'EOF'
output HEADLESS-1 mode --custom 1440x900@60Hz position 0 0
xwayland force
focus_follows_mouse no
bar {
    position top
    height 32
    tray_output *
    colors {
        background #000000
    }
}
EOF
[[ -n "${as_user[*]}" ]] && chown -R "$(stat -c %u "$scratch")" "$HOME"
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    "${as_user[@]}" sway -c "$XDG_CONFIG_HOME/sway/config" >"$scratch/sway.log" 2>&1 &
pids+=($!)
sway_socket() { compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" | head -1; }
sway_up() { [[ -S "$(sway_socket)" ]] && in_session swaymsg -s "$(sway_socket)" -t get_version >/dev/null 2>&1; }
wait_for 150 sway_up || fail "sway did not start: $(tail -5 "$scratch/sway.log")"
export SWAYSOCK="$(sway_socket)"
export WAYLAND_DISPLAY="$(cd "$XDG_RUNTIME_DIR" && compgen -G 'wayland-[0-9]' | head -1)"
find_xwayland
wait_for 100 host_ready || fail "swaybar registered no StatusNotifier host"
start_pointer

shoot() { in_session grim "$(shot "$1")" || fail "no screenshot from grim"; }
place() {
    in_session swaymsg "[title=\"^$1\$\"] floating enable" >/dev/null
    sleep 0.2
    in_session swaymsg "[title=\"^$1\$\"] resize set $4 $5, move absolute position $2 $3" >/dev/null
}

# The native window covers the bottom right, where the rock rests; the X11 one the top left.
start_window native wayland
start_window x11 x11
place native 760 420 680 480
place x11 40 120 600 400
session_up_seconds="$(elapsed)"

pointer_at 200 200
last_pointer="200 200"
start_kivvo
wait_for 50 rock_known || true
check "the companion keeps running" kivvo_runs
check "the icon is registered with the StatusNotifier watcher" wait_for 50 item_registered
check "the icon is drawn in the bar" wait_for 10 has_icon_box

# At rest in the bottom right corner of the screen below the bar.
check "the rock rests at the bottom right" rock_at_rest
rest="$(rock_frame)"
shoot rest
check "the rock is drawn where it rests" rock_drawn rock-rest
# It stays: the pointer wanders over both windows.
check "the rock stays while the pointer is over the X11 window" stays 400 350
check "the rock stays while the pointer is over the native window" stays 900 500
check "the rock stays while the pointer moves again over the X11 window" stays 300 250

check "a click on the rock reaches the native window beneath" click_through 760 420 1440 900

# sway places an X11 window it manages itself (a floating one in the middle), wherever the program asks.
check_panel_and_quit anywhere
finish
