#!/usr/bin/env bash
# The GNOME Shell extension in one format (legacy or module), loaded by gjs outside the shell on a private
# session bus of its own. Skipped (77) where gjs, dbus-run-session or the shell's typelibs are missing.
set -euo pipefail
format="$1" built="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
for tool in gjs dbus-run-session; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing" && exit 77; }
done
# Clutter, Cogl and Meta sit in mutter's private folder (named by its version), St in the shell's.
mutter="$(dirname "$(ls /usr/lib/*/mutter-*/Meta-*.typelib /usr/lib*/mutter-*/Meta-*.typelib 2>/dev/null |
    sort -V | tail -n 1)")"
shell="$(dirname "$(ls /usr/lib/gnome-shell/St-1.0.typelib /usr/lib*/gnome-shell/St-1.0.typelib 2>/dev/null |
    head -n 1)")"
[[ "$mutter" != . && "$shell" != . ]] || { echo "SKIP: mutter's or gnome-shell's typelibs are missing" && exit 77; }
export GI_TYPELIB_PATH="$mutter:$shell" LD_LIBRARY_PATH="$mutter:$shell${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
# The shell's own scripts are the stand-ins here; an error thrown in a callback fails the test.
export G_RESOURCE_OVERLAYS="/org/gnome/shell=$here/shell" G_DEBUG=fatal-criticals LC_ALL=C.UTF-8
exec dbus-run-session -- gjs -m "$here/extension-test.js" "$format" "$built"
