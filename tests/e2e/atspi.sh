#!/usr/bin/env bash
# The screens as a screen reader meets them, through the desktop's accessibility bus (AT-SPI) in a
# session bus of its own: the tower is a list of stones named by their wishes, one pressed shows its
# card; the segments say which is current; the input-mode switch, the wish field and the size slider
# are named, the switch and the slider with their value in words.
set -euo pipefail

kivvo="$1"
# Run again inside a session bus of its own, which the accessibility bus hangs off.
if [[ -z "${KIVVO_ATSPI_SESSION:-}" ]] && command -v dbus-run-session >/dev/null; then
    KIVVO_ATSPI_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
fi
bus_launcher=/usr/libexec/at-spi-bus-launcher
tools=(Xvfb dbus-run-session "$bus_launcher" /usr/bin/python3)
source "$(dirname "$0")/lib.sh"
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null || {
    echo "SKIP: python3-gi with Atspi 2 is not installed"
    exit 77
}
tree_tool="$(dirname "$0")/tools/atspi_tree.py"
start_display

"$bus_launcher" --launch-immediately >/dev/null 2>&1 &
pids+=($!)
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

# The preview window on the sample wishes, on one screen; its tree once it is there.
show() {
    [[ -n "${preview:-}" ]] && kill "$preview" 2>/dev/null && wait "$preview" 2>/dev/null || true
    KIVVO_WINDOW=1 KIVVO_SCREEN="$1" "$kivvo" >"$scratch/kivvo.log" 2>&1 &
    preview=$!
    pids+=("$preview")
    wait_for 100 has_tree "$2" || fail "on the $1 screen no '$2': $(cat "$scratch/tree")"
}
has_tree() {
    timeout 20 /usr/bin/python3 "$tree_tool" dump >"$scratch/tree" 2>/dev/null && grep -qF -- "$1" "$scratch/tree"
}
holds() { grep -qF -- "$1" "$scratch/tree" || fail "no '$1' in: $(cat "$scratch/tree")"; }

show tower "list '돌탑'"
for wish in "더 자주 웃기" "좋아하는 일로 먹고살기" "매일 산책 30분" "가족 모두 건강하기" "올해는 마음이 단단해지기"; do
    holds "list item '$wish'"
done
holds "check box '돌탑' [] checked"
timeout 20 /usr/bin/python3 "$tree_tool" press "매일 산책 30분" || fail "the stone took no press"
wait_for 50 has_tree "list item '매일 산책 30분' [] selected" || fail "the pressed stone is not selected"
holds "push button '돌 내리기' ['매일 산책 30분' 돌을 탑에서 내려.]"
echo "the tower reads as a list of its wishes"

show talk "slider '입력 방식' [글]"
holds "text '소원' [소원은 말할수록 선명해져.]"
holds "label '무슨 소원이든 들려줘. 나 입 무거워.'"
show settings "slider '돌 크기' [보통]"
echo "PASS: read through AT-SPI"
