# Shared by the end-to-end tests: a scratch folder cleaned up on exit, waiting, window geometry, and
# a private Xvfb display. Source it after setting `tools` to the commands the test needs.

# Window names are Korean, and xdotool matches them through the locale: under the C locale (a bare
# container has no LANG) nothing would match. Every Debian has C.UTF-8; the programs started here get it too.
export LC_ALL=C.UTF-8
unset LANGUAGE

for tool in "${tools[@]}"; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

scratch="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    [[ -f "$scratch/kivvo.log" ]] && sed 's/^/kivvo: /' "$scratch/kivvo.log"
    exit 1
}
# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    local tenths="$1"
    shift
    for ((i = 0; i < tenths; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
# "X Y W H" of a window.
geometry_of() {
    xdotool getwindowgeometry --shell "$1" | awk -F= '/^(X|Y|WIDTH|HEIGHT)=/ {printf "%s ", $2}'
}
near() { (($1 - $2 <= $3 && $2 - $1 <= $3)); }

# A free display of 1440 x 900 (or the size given, "WxH"), and a user of its own in the scratch folder.
start_display() {
    local display=90
    while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do ((display++)); done
    export DISPLAY=":$display"
    # -noreset: the server must not reset when its last client leaves, between two starts of the program.
    Xvfb "$DISPLAY" -screen 0 "${1:-1440x900}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
    pids+=($!)
    wait_for 50 xdotool getmouselocation >/dev/null 2>&1 || fail "Xvfb did not start"
    export HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/.local/share" XDG_CONFIG_HOME="$scratch/home/.config"
    export XDG_RUNTIME_DIR="$scratch/runtime" TMPDIR="$scratch/tmp"
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY
}

# openbox as the window manager, once it manages the display (the tools need xprop).
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
start_openbox() {
    openbox --sm-disable >/dev/null 2>&1 &
    pids+=($!)
    wait_for 50 wm_running || fail "openbox did not start"
}

# A tray host in the top right corner, 32 pixels high; with a window manager it reserves its strip.
start_tray() {
    trayer --edge top --align right --widthtype request --height 32 --SetDockType true --SetPartialStrut true \
        >/dev/null 2>&1 &
    pids+=($!)
}
# The companion's icon in the tray (22 points wide, 44 pixels at scale 2), its geometry in ix iy iw ih
# once it has docked, and a click on it.
icon_id() { xdotool search --classname '^kivvo$' 2>/dev/null | while read -r w; do
    read -r x y ww hh <<<"$(geometry_of "$w")"
    ((y < 32 && ww <= 48 && x > 1300)) && echo "$w" && break
done; }
has_icon() { test -n "$(icon_id)"; }
find_icon() {
    wait_for 100 has_icon || fail "no tray icon"
    read -r ix iy iw ih <<<"$(geometry_of "$(icon_id)")"
}
click_icon() { xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1; }
# The companion (the program is `$kivvo`), its log in the scratch folder, once its icon is docked.
start_kivvo() {
    "$kivvo" >"$scratch/kivvo.log" 2>&1 &
    kivvo_pid=$!
    pids+=("$kivvo_pid")
    find_icon
}
# The panel while it is viewable.
panel_id() { xdotool search --onlyvisible --name '^키보$' 2>/dev/null | head -1; }
panel_shown() { test -n "$(panel_id)"; }
panel_hidden() { test -z "$(panel_id)"; }
# "X Y W H" of a window's client area on the root; xdotool counts a window manager's frame twice.
client_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
        /^ *Width:/ {w = $2} /^ *Height:/ {h = $2} END {print x, y, w, h}'
}
# "X Y W H" of a window's frame: its client area with the window manager's borders and title.
frame_geometry() {
    local x y w h left right top bottom
    read -r x y w h <<<"$(client_geometry "$1")"
    read -r left right top bottom <<<"$(xprop -id "$1" _NET_FRAME_EXTENTS | grep -o '[0-9]*' | tr '\n' ' ')"
    echo $((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))
}
