#!/usr/bin/env bash
# Korean typed the way a person types it: through a real input method that composes syllables, into
# the talk screen of the preview window, under Xvfb. One wish per start of the program, each checked
# in the saved file: "gks" + Return must store "한" exactly once; "dkssud", Shift-Return, "gkt",
# Return must store "안녕\n핫"; "tkfkdgo" and a click on the send arrow, while 해 is still being composed,
# must store "사랑해"; 60 pasted characters must keep 50. Runs with ibus (hangul engine) and,
# where it is installed, fcitx5 (hangul addon).
set -euo pipefail

kivvo="$1"
tools=(Xvfb xdotool dbus-launch xclip gsettings)
source "$(dirname "$0")/lib.sh"
start_display
# A session bus of our own, for the input method and the settings it reads.
eval "$(dbus-launch --sh-syntax)"
pids+=("$DBUS_SESSION_BUS_PID")
save="$TMPDIR/kivvo-preview.json"

# The preview window starts on the five sample wishes each time; the told one is the sixth and last.
last_text() { grep -o '"text":"[^"]*"' "$save" | tail -1; }
wishes_saved() { grep -o '"seed":' "$save" 2>/dev/null | wc -l; }

# Starts the preview window on the talk screen and puts the pointer and focus in the text box.
open_talk() {
    rm -f "$save"
    KIVVO_WINDOW=1 KIVVO_SCREEN=talk "$kivvo" >"$scratch/kivvo.log" 2>&1 &
    kivvo_pid=$!
    pids+=("$kivvo_pid")
    window_id() { xdotool search --onlyvisible --name '^키보 미리보기$' 2>/dev/null | head -1; }
    has_window() { test -n "$(window_id)"; }
    wait_for 100 has_window || fail "no preview window"
    read -r wx wy _ _ <<<"$(geometry_of "$(window_id)")"
    # The text box, under the home header, the rock and its line.
    xdotool mousemove $((wx + 100)) $((wy + 322)) click 1
    sleep 1
    # Some input methods switch to Korean per focused field, once it has the focus.
    [[ -z "${activate_korean:-}" ]] || $activate_korean
}

# Quits from "종료" and waits for the program to end.
quit_talk() {
    xdotool mousemove $((wx + 294)) $((wy + 452)) click 1
    wait_for 50 bash -c "! kill -0 $kivvo_pid 2>/dev/null" || fail "the window did not quit"
}

# Waits for the told wish and compares it with $1 (as it stands in the file).
expect_told() {
    wait_for 100 test "$(wishes_saved)" -ge 6 || fail "$2: nothing was saved"
    sleep 0.5
    (($(wishes_saved) == 6)) || fail "$2: $(wishes_saved) wishes saved, expected 6"
    [[ "$(last_text)" == "\"text\":\"$1\"" ]] || fail "$2: saved $(last_text), expected \"$1\""
    echo "ok: $2"
}

run_cases() {
    local name="$1"
    open_talk
    xdotool type --delay 200 gks
    xdotool key Return
    expect_told '한' "$name: gks + Return"
    quit_talk

    open_talk
    xdotool type --delay 200 dkssud
    xdotool key shift+Return
    xdotool type --delay 200 gkt
    xdotool key Return
    expect_told '안녕\u000a핫' "$name: two lines"
    quit_talk

    open_talk
    xdotool type --delay 200 tkfkdgo
    sleep 0.5
    # The send arrow sits at the right end of the one-line box, level with the text.
    xdotool mousemove $((wx + 274)) $((wy + 322)) click 1
    expect_told '사랑해' "$name: the send arrow while composing"
    quit_talk

    open_talk
    local sixty="가나다라마바사아자차가나다라마바사아자차가나다라마바사아자차가나다라마바사아자차가나다라마바사아자차가나다라마바사아자차"
    printf '%s' "$sixty" | xclip -selection clipboard -loops 1
    xdotool key ctrl+v
    sleep 0.3
    xdotool key Return
    expect_told "${sixty:0:50}" "$name: 60 pasted keep 50"
    quit_talk
}

tried=0
if command -v ibus-daemon >/dev/null && gsettings list-keys org.freedesktop.ibus.engine.hangul >/dev/null 2>&1; then
    gsettings set org.freedesktop.ibus.engine.hangul initial-input-mode 'hangul'
    ibus-daemon --panel=disable --emoji-extension=disable --replace >"$scratch/ibus.log" 2>&1 &
    pids+=($!)
    wait_for 100 ibus engine hangul >/dev/null 2>&1 || fail "ibus did not take the hangul engine"
    QT_IM_MODULE=ibus run_cases ibus
    ibus exit >/dev/null 2>&1 || true
    sleep 0.5
    tried=$((tried + 1))
fi

if command -v fcitx5 >/dev/null && [[ -e /usr/share/fcitx5/addon/hangul.conf ]]; then
    # One group, the US layout and the hangul input method, hangul on from the start.
    mkdir -p "$XDG_CONFIG_HOME/fcitx5"
    cat >"$XDG_CONFIG_HOME/fcitx5/profile" <<'PROFILE'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=hangul

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=hangul
Layout=

[GroupOrder]
0=Default
PROFILE
    fcitx5 --replace --disable=classicui,kimpanel,notificationitem,notifications,clipboard,emoji,quickphrase,wayland,waylandim,ibusfrontend,fcitx4frontend \
        >"$scratch/fcitx5.log" 2>&1 &
    pids+=($!)
    wait_for 100 fcitx5-remote >/dev/null 2>&1 || fail "fcitx5 did not start"
    activate_korean="fcitx5-remote -s hangul"
    QT_IM_MODULE=fcitx run_cases fcitx5
    tried=$((tried + 1))
fi

if [[ $tried == 0 ]]; then
    echo "SKIP: no Korean input method (ibus with ibus-hangul) is installed"
    exit 77
fi
echo "PASS"
