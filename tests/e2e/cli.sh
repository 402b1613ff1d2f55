#!/usr/bin/env bash
# The command line as a user meets it: --help and --version print and exit 0 without a display; a
# mistyped option or a stray word prints one line on standard error naming it and exits 2 without
# starting anything; a picture mode says how many pictures it wrote, or names each one it could not
# write and exits 1; the manual page names every option and variable the help names.
set -euo pipefail

kivvo="$1"
version="$2"
manual="$3"
tools=(timeout)
source "$(dirname "$0")/lib.sh"
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/.local/share" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
# Were anything started, it would find no display here and wait for none: the offscreen platform.
export QT_QPA_PLATFORM=offscreen

run() { # expected status, arguments...: stdout and stderr in the scratch folder
    local expected="$1" status=0
    shift
    timeout 20 "$kivvo" "$@" >"$scratch/out" 2>"$scratch/err" || status=$?
    ((status == expected)) || fail "kivvo $* exited with $status, not $expected: $(cat "$scratch/err")"
}

run 0 --help
[[ "$(head -1 "$scratch/out")" == "Usage: kivvo [options]" ]] || fail "the help begins: $(head -1 "$scratch/out")"
[[ ! -s "$scratch/err" ]] || fail "the help wrote to standard error: $(cat "$scratch/err")"
help="$(cat "$scratch/out")"
run 0 -h
[[ "$(cat "$scratch/out")" == "$help" ]] || fail "-h is not the same help"
run 0 --version
[[ "$(cat "$scratch/out")" == "kivvo $version" ]] || fail "the version reads: $(cat "$scratch/out")"

for mistake in --bogus --render=out wish; do
    run 2 "$mistake"
    [[ ! -s "$scratch/out" ]] || fail "kivvo $mistake wrote to standard output"
    [[ "$(wc -l <"$scratch/err")" == 1 ]] || fail "kivvo $mistake said: $(cat "$scratch/err")"
    grep -qF -- "'$mistake'" "$scratch/err" && grep -qF -- "--help" "$scratch/err" ||
        fail "kivvo $mistake said: $(cat "$scratch/err")"
done
[[ ! -e "$XDG_DATA_HOME/Kivvo" ]] || fail "a mistyped option started the companion: it made its data folder"

# A picture mode says what it wrote, and fails on each picture it could not write.
timeout 50 "$kivvo" --render "$scratch/sheets" 2>"$scratch/err" || fail "--render failed: $(cat "$scratch/err")"
[[ "$(tail -1 "$scratch/err")" == "rendered 7 pictures to $scratch/sheets" ]] || fail "--render said: $(cat "$scratch/err")"
status=0
timeout 50 "$kivvo" --render "$scratch/sheets/01-onboarding-draw.png/in" 2>"$scratch/err" || status=$?
((status == 1)) || fail "--render into a folder that cannot be made exited with $status"
grep -qF "could not write $scratch/sheets/01-onboarding-draw.png/in/07-drawn-shapes.png" "$scratch/err" ||
    fail "--render into a folder that cannot be made said: $(cat "$scratch/err")"

# Every option and variable of the help is in the manual page (troff escapes its dashes).
man_text="$(sed 's/\\-/-/g' "$manual")"
for word in $(grep -oE -- '(^| )(--?[a-z]+|[A-Z][A-Z_]+[A-Z])' <<<"$help" | sort -u); do
    grep -qF -- "$word" <<<"$man_text" || fail "the manual page does not name $word"
done
echo "PASS: the command line"
