# Shared by the Wayland end-to-end tests: a headless compositor session of its own (private bus,
# runtime folder and home in the scratch folder), its Xwayland display, a pointer driven through the
# compositor, test windows that log presses, screenshots, and the companion started in it.
# Source it with: kivvo binary, pointer tool ("none" when it was not built, "-" for a session that
# drives its own pointer), session name (kwin, sway or gnome).

kivvo_built="$1"
pointer_built="$2"
session="$3"
tools+=(dbus-daemon gdbus xdotool /usr/bin/python3 setpriv)
if [[ "$pointer_built" == none ]]; then
    echo "SKIP: the test pointer was not built (libwayland-client or wayland-scanner is missing)"
    exit 77
fi
for module in gi dbus; do
    /usr/bin/python3 -c "import $module" 2>/dev/null || { echo "SKIP: python3 module $module is missing" && exit 77; }
done
/usr/bin/python3 -c "import gi; gi.require_version('Gtk', '3.0')" 2>/dev/null ||
    { echo "SKIP: GTK 3 for python3 (gir1.2-gtk-3.0) is missing" && exit 77; }
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# Screenshots and logs stay in the test's working folder for looking at after the run.
out="$PWD/e2e-$session"
rm -rf "$out"
mkdir -p "$out"
failures=0
started="$(date +%s.%N)"

# sway refuses to run as root, so when the tests run as root the whole session runs as an unprivileged
# user of its own (made once). Everything the session runs must then be reachable by that user: the build
# folder may sit in /root, so the programs are copied into the scratch folder, which is handed to that
# user; root itself reaches into the session through the same user (`in_session`), so the bus never
# sees a second user. Run as a normal user, everything runs as that user.
as_user=()
session_as_user() {
    ((EUID == 0)) || return 0
    local user=kivvo-test
    id -u "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user" ||
        fail "could not make the unprivileged user $user"
    as_user=(setpriv --reuid="$(id -u "$user")" --regid="$(id -g "$user")" --clear-groups --)
    chown -R "$user:" "$scratch"
    "${as_user[@]}" test -x "$scratch" || fail "$user cannot reach the scratch folder $scratch (set TMPDIR)"
    # wlroots draws into shared memory in /dev/shm; a bare chroot leaves it writable by root alone.
    "${as_user[@]}" test -w /dev/shm || { echo "SKIP: /dev/shm is not writable by $user, so no compositor runs as a user here" && exit 77; }
}
# Started in the background, the session's programs are run as `"${as_user[@]}" PROGRAM &`, not through
# this function, so that $! is the program's own PID.
in_session() { "${as_user[@]}" "$@"; }

# The session's programs: copies, so that the session's user reaches them wherever the build is.
bin="$scratch/bin"
mkdir -p "$bin" "$scratch/shots"
cp "$kivvo_built" "$bin/kivvo"
[[ "$pointer_built" == - ]] || cp "$pointer_built" "$bin/pointer"
cp "$here/tools/presses.py" "$here/tools/shot.py" "$bin/"

# The session's own folders and bus; the bus serves no activatable services, so nothing starts behind
# the test's back.
export XDG_RUNTIME_DIR="$scratch/run" HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config"
export XDG_DATA_HOME="$scratch/home/.local/share" XDG_CACHE_HOME="$scratch/home/.cache" TMPDIR="$scratch/tmp"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$TMPDIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XAUTHORITY SWAYSOCK
export DBUS_SESSION_BUS_ADDRESS="unix:path=$scratch/bus"
cat >"$scratch/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>$DBUS_SESSION_BUS_ADDRESS</listen>
  <auth>EXTERNAL</auth>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
EOF

# Teardown, always: every process of the session, found by its private runtime folder and ended by
# PID (twice: a compositor that loses its Xwayland may start another), then the display locks those
# Xwayland servers left, then what lib.sh cleans up. Logs are kept in the output folder.
session_pids() {
    local environ pid
    for environ in $(grep -lsxzF "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" /proc/[0-9]*/environ); do
        pid="${environ#/proc/}" pid="${pid%/environ}"
        ((pid == $$ || pid == BASHPID)) || echo "$pid"
    done
}
end_session() {
    local killed=() round lock owner
    exec 7>&- 2>/dev/null || true
    for round in 1 2; do
        mapfile -t found < <(session_pids)
        ((${#found[@]})) || break
        kill "${found[@]}" 2>/dev/null || true
        sleep 0.5
        kill -9 "${found[@]}" 2>/dev/null || true
        killed+=("${found[@]}")
    done
    for lock in /tmp/.X[0-9]*-lock; do
        [[ -f "$lock" ]] || continue
        owner="$(tr -d ' ' <"$lock")"
        if [[ " ${killed[*]} " == *" $owner "* ]]; then
            lock="${lock#/tmp/.X}"
            rm -f "/tmp/.X$lock" "/tmp/.X11-unix/X${lock%-lock}"
        fi
    done
    cp "$scratch"/*.log "$scratch"/shots/*.png "$out/" 2>/dev/null || true
    cleanup
}
trap end_session EXIT
# A test stopped by its time limit (SIGTERM) ends its session too.
trap 'exit 1' TERM INT HUP

# One check: its name, then the command; a failing check is reported and the test goes on, so one run
# shows every check. `finish` fails the test when any did.
check() {
    local name="$1"
    shift
    if "$@"; then
        echo "PASS: $name [$(elapsed) s]"
    else
        echo "FAIL: $name${why:+ ($why)} [$(elapsed) s]"
        ((failures++)) || true
    fi
    why=""
}
elapsed() { awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'; }
finish() {
    echo "$session: $(elapsed) s," \
        "session up in $session_up_seconds s, $failures checks failed; screenshots and logs in $out"
    ((failures == 0)) || exit 1
    echo "PASS: the companion in a $session session"
}

start_bus() {
    "${as_user[@]}" dbus-daemon --nofork --config-file="$scratch/bus.conf" >"$scratch/bus.log" 2>&1 &
    pids+=($!)
    wait_for 50 test -S "$scratch/bus" || fail "the session bus did not start"
}
bus_has() { in_session gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
    -m org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true; }

# The session's Xwayland command line, its words one a line.
xwayland_words() {
    local pid
    for pid in $(session_pids); do
        [[ "$(cat "/proc/$pid/comm" 2>/dev/null)" == Xwayland ]] || continue
        tr '\0' '\n' <"/proc/$pid/cmdline"
        return 0
    done
    return 1
}
# DISPLAY of the session's Xwayland, read from its command line.
xwayland_display() { xwayland_words | grep -xE ':[0-9]+' | head -1; }
# The authority file given to the session's Xwayland, if any.
xwayland_authority() { xwayland_words | awk 'after { print; exit } $0 == "-auth" { after = 1 }'; }
has_xwayland() { test -n "$(xwayland_display)"; }
find_xwayland() {
    wait_for 150 has_xwayland || fail "no Xwayland in the session; its processes: $(for p in $(session_pids); do
        tr '\0' ' ' 2>/dev/null </proc/"$p"/cmdline; echo; done)"
    export DISPLAY="$(xwayland_display)"
    # GNOME's Xwayland wants the cookie its compositor wrote; the others let any local client in.
    local authority
    authority="$(xwayland_authority)"
    [[ -z "$authority" ]] || export XAUTHORITY="$authority"
    # A compositor that failed to set up its X display leaves X clients waiting forever: ask with a limit.
    wait_for 50 in_session timeout 2 xdotool getmouselocation >/dev/null 2>&1 ||
        fail "Xwayland on $DISPLAY does not answer$(grep -h 'Failed to init X11' "$scratch"/*.log | sed 's/^/: /' | head -1)"
}
watcher() { in_session gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
    -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "$1" 2>/dev/null; }
host_ready() { watcher IsStatusNotifierHostRegistered | grep -q true; }

# The pointer, driven through the compositor by the test pointer program reading a pipe.
start_pointer() {
    mkfifo "$scratch/pointer.in"
    [[ -n "${as_user[*]}" ]] && chown "$(stat -c %u "$scratch")" "$scratch/pointer.in"
    "${as_user[@]}" "$bin/pointer" <"$scratch/pointer.in" >"$scratch/pointer.log" 2>&1 &
    pids+=($!)
    exec 7>"$scratch/pointer.in"
    wait_for 50 grep -qs '^ready' "$scratch/pointer.log" || fail "no test pointer: $(cat "$scratch/pointer.log")"
}
# Sends one command and waits until the compositor has taken it.
pointer() {
    local before
    before="$(grep -c '^ok' "$scratch/pointer.log" || true)"
    echo "$*" >&7
    wait_for 50 more_than "$before" grep -c '^ok' "$scratch/pointer.log" || fail "the test pointer hung on: $*"
}
# Whether the count the command after $1 prints has grown beyond $1.
more_than() {
    local limit="$1" count
    shift
    count="$("$@" 2>/dev/null)" || true
    ((${count:-0} > limit))
}
pointer_at() { pointer move "$1" "$2"; }
# Moves the pointer from the last point to ($1, $2) in ten short steps, as a hand does.
glide_to() {
    local x0 y0 step
    read -r x0 y0 <<<"${last_pointer:-720 450}"
    # Not `i`: wait_for counts in a global `i`.
    for ((step = 1; step <= 10; step++)); do
        pointer_at $((x0 + ($1 - x0) * step / 10)) $((y0 + ($2 - y0) * step / 10))
        sleep 0.016
    done
    last_pointer="$1 $2"
}
# Whether Xwayland has the pointer at ($1, $2): it learns of it only over its own windows.
xwayland_sees() { [[ "$(in_session xdotool getmouselocation 2>/dev/null | cut -d' ' -f1,2)" == "x:$1 y:$2" ]]; }
# Moves the pointer off ($1, $2) and back; whether Xwayland then has it there.
nudged_to() {
    pointer_at $(($1 - 1)) "$2"
    pointer_at "$1" "$2"
    sleep 0.05
    xwayland_sees "$1" "$2"
}
click_at() { pointer move "$1" "$2" && sleep 0.2 && pointer click; }

# Test windows that log presses: a native Wayland one and an X11 one of the same program.
start_window() {
    local title="$1" backend="$2"
    GDK_BACKEND="$backend" NO_AT_BRIDGE=1 "${as_user[@]}" /usr/bin/python3 "$bin/presses.py" "$title" >"$scratch/$title.log" 2>&1 &
    pids+=($!)
    wait_for 100 grep -qs '^shown' "$scratch/$title.log" || fail "the $backend test window did not show"
}
presses() { grep -c '^press' "$scratch/$1.log" 2>/dev/null || true; }
# Waits up to two seconds for a press on window $1 beyond the $2 it had.
pressed() { wait_for 20 more_than "$2" presses "$1"; }

# The companion, onboarded already, its rock on, reporting its rock's frame (see rock_frame).
start_kivvo() {
    mkdir -p "$XDG_DATA_HOME/Kivvo"
    printf '{"hasOnboarded":true,"wishes":[],"isIdleRockEnabled":true,"idleRockScale":1}' \
        >"$XDG_DATA_HOME/Kivvo/data.json"
    chmod 700 "$XDG_DATA_HOME/Kivvo"
    chmod 600 "$XDG_DATA_HOME/Kivvo/data.json"
    [[ -n "${as_user[*]}" ]] && chown -R "$(stat -c %u "$scratch")" "$XDG_DATA_HOME"
    KIVVO_DEBUG_ROCK=1 "${as_user[@]}" "$bin/kivvo" >"$scratch/kivvo.log" 2>&1 &
    kivvo_pid=$!
    pids+=("$kivvo_pid")
}
kivvo_gone() { ! kivvo_runs; }
kivvo_runs() { kill -0 "$kivvo_pid" 2>/dev/null; }
rock_known() { test -n "$(rock_frame)"; }

# The rock's frame "X Y W H" in global coordinates. With KIVVO_DEBUG_ROCK=1 the companion writes
# "kivvo-rock: X Y W H" whenever its rock's frame changes and "kivvo-rock: hidden" when it hides; a
# companion that does not is read from its X11 rock window instead.
rock_frame() {
    local line window
    line="$(grep -s '^kivvo-rock: ' "$scratch/kivvo.log" | tail -1)"
    if [[ -n "$line" ]]; then
        [[ "$line" == *hidden ]] || echo "${line#kivvo-rock: }"
        return 0
    fi
    window="$(in_session xdotool search --onlyvisible --name '^Kivvo rock$' 2>/dev/null | head -1)"
    [[ -n "$window" ]] && in_session xdotool getwindowgeometry --shell "$window" |
        awk -F= '/^(X|Y|WIDTH|HEIGHT)=/ {printf "%s ", $2}'
}
# Whether the rock has settled beside the pointer at ($1, $2): right of it and below, by a fifth
# of its size or so, as on X11.
rock_beside() {
    local rx ry rw rh
    read -r rx ry rw rh <<<"$(rock_frame)"
    why="pointer at $1,$2, rock at ${rx:-nowhere} ${ry:-} ${rw:-} ${rh:-}"
    [[ -n "$rw" ]] && near "$rx" $(($1 + rw * 17 / 100)) 4 && near "$ry" $(($2 + rh * 20 / 100)) 4
}
# Moves the pointer to ($1, $2) in a glide of short steps, as a hand does, then waits for the rock.
rock_follows_to() {
    glide_to "$1" "$2"
    wait_for 30 rock_beside "$1" "$2" && return 0
    why="pointer at $1,$2, Xwayland's pointer at $(in_session xdotool getmouselocation | cut -d' ' -f1,2), rock at $(rock_frame)"
    [[ -z "$(rock_frame)" ]] && why="no rock: no 'kivvo-rock:' line in the log and no X11 'Kivvo rock' window"
    return 1
}

# At rest in the bottom right corner of the screen below the bar: its whole frame on the screen, near
# the right and bottom edges.
rock_at_rest() {
    local rx ry rw rh
    read -r rx ry rw rh <<<"$(rock_frame)"
    why="rock at ${rx:-nowhere},${ry:-} ${rw:-}x${rh:-}"
    [[ -n "$rw" ]] && ((rx >= 0 && ry >= 32 && rx + rw <= 1440 && ry + rh <= 900)) &&
        ((rx + rw >= 1440 - 120 && ry + rh >= 900 - 120))
}
# Whether the rock is still where it rested ($rest) after the pointer went to ($1, $2).
stays() {
    pointer_at "$1" "$2"
    sleep 0.6
    why="rock at $(rock_frame) after the pointer went to $1,$2; it rested at $rest"
    [[ "$(rock_frame)" == "$rest" ]]
}

# Screenshots in the scratch folder (kept in the output folder): `shoot NAME` for the session's kind.
shot() { echo "$scratch/shots/$1.png"; }
# Whether something is drawn in the rock's frame (not just the window or desktop around it).
rock_drawn() {
    local share rx ry rw rh
    read -r rx ry rw rh <<<"$(rock_frame)"
    [[ -n "$rw" ]] || { why="no rock frame" && return 1; }
    shoot "$1"
    share="$(in_session /usr/bin/python3 "$bin/shot.py" drawn "$(shot "$1")" "$rx" "$ry" "$rw" "$rh")"
    why="only $share of the rock's frame $rx,$ry ${rw}x$rh differs from around it in $1.png"
    awk -v s="$share" 'BEGIN { exit !(s >= 0.15) }'
}
# The tray icon's box "X Y W H" in the bar (the top 32 rows, right half): what differs from the bar.
icon_box() {
    shoot bar
    in_session /usr/bin/python3 "$bin/shot.py" box "$(shot bar)" 720 0 720 32
}
has_icon_box() { read -r ix iy iw ih <<<"$(icon_box)" && [[ -n "$ih" ]]; }

# The panel while it is viewable; its frame "X Y W H" (from X11; a session may ask its compositor).
panel_id() { in_session xdotool search --onlyvisible --name '^키보$' 2>/dev/null | head -1; }
panel_shown() { test -n "$(panel_id)"; }
panel_frame() {
    in_session xdotool getwindowgeometry --shell "$(panel_id)" | awk -F= '/^(X|Y|WIDTH|HEIGHT)=/ {printf "%s ", $2}'
}
# Whether the panel opened next to the icon: the icon's middle above its width, its top just under
# the bar, the whole panel on the screen.
panel_at_icon() {
    local px py pw ph
    read -r px py pw ph <<<"$(panel_frame)"
    why="panel at $px,$py ${pw}x$ph, icon at $ix,$iy ${iw}x$ih"
    local cx=$((ix + iw / 2))
    ((px <= cx && cx <= px + pw && px >= 0 && px + pw <= 1440 && py >= iy && py <= iy + ih + 40))
}

# The companion's item among those registered with the watcher: its bus name belongs to its process.
item_registered() {
    local items name
    items="$(watcher RegisteredStatusNotifierItems)"
    # Plasma lists "name/path", the AppIndicator extension "name@path".
    for name in $(grep -oE "'[^'/@]+" <<<"$items" | tr -d "'"); do
        in_session gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
            -m org.freedesktop.DBus.GetConnectionUnixProcessID "$name" 2>/dev/null |
            grep -qE "\(uint32 $kivvo_pid,\)" && return 0
    done
    why="registered: ${items:-nothing}"
    return 1
}

# A click in the middle of the rock, which must lie over the native window (left top right bottom),
# reaches that window. The pointer moves onto the rock first; the rock finishes its last step or two
# and stays.
click_through() {
    local rx ry rw rh before cx cy
    read -r rx ry rw rh <<<"$(rock_frame)"
    [[ -n "$rw" ]] || { why="no rock" && return 1; }
    pointer_at $((rx + rw / 2)) $((ry + rh / 2))
    last_pointer="$((rx + rw / 2)) $((ry + rh / 2))"
    sleep 0.5
    read -r rx ry rw rh <<<"$(rock_frame)"
    cx=$((rx + rw / 2)) cy=$((ry + rh / 2))
    ((cx > $1 && cx < $3 && cy > $2 && cy < $4)) || { why="the rock's middle $cx,$cy is not over the native window" && return 1; }
    before="$(presses native)"
    click_at "$cx" "$cy"
    pressed native "$before" || { why="no press reached the native window at $cx,$cy" && return 1; }
}

# The panel from a click on the icon, where it opens (unless $1 is "anywhere"), and "종료" in it; what
# cannot be reached counts as failed.
check_panel_and_quit() {
    if wait_for 20 has_icon_box; then
        echo "icon at $ix,$iy ${iw}x$ih"
        click_at $((ix + iw / 2)) $((iy + ih / 2))
        last_pointer="$((ix + iw / 2)) $((iy + ih / 2))"
        check "a click on the icon opens the panel" wait_for 50 panel_shown
    else
        why="no icon in the bar${why:+: $why}" && check "a click on the icon opens the panel" false
    fi
    shoot panel
    if panel_shown; then
        [[ "${1:-}" == anywhere ]] || check "the panel opens next to the icon" panel_at_icon
        check "종료 ends the companion" quit_from_panel
    else
        [[ "${1:-}" == anywhere ]] || { why="no panel" && check "the panel opens next to the icon" false; }
        why="no panel" && check "종료 ends the companion" false
    fi
}

# "종료" at the panel's bottom right, clicked through the compositor; the companion must end with 0.
quit_from_panel() {
    local px py status
    read -r px py _ _ <<<"$(panel_frame)"
    # Right after sway has moved a new window, Xwayland may still place the pointer by the window's old
    # position: nudge the pointer until Xwayland has it where it is, then click.
    glide_to $((px + 298)) $((py + 451))
    wait_for 20 nudged_to $((px + 298)) $((py + 451)) || true
    pointer click
    wait_for 50 kivvo_gone || {
        shoot quit
        why="still running 5 s after the click at $((px + 298)),$((py + 451)); Xwayland's pointer at $(in_session xdotool getmouselocation | cut -d' ' -f1,2)"
        return 1
    }
    wait "$kivvo_pid" && status=0 || status=$?
    why="exit status $status"
    ((status == 0))
}
