#!/usr/bin/env bash
# Installs the built tree into a scratch prefix and checks the layout a user gets: both
# programs side by side, and a menu entry that starts Updrift from that prefix.
set -euo pipefail
build=$1
prefix=$build/install-check
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "install check: $*" >&2; exit 1; }
for program in Trawlix Updrift trawlix-crawl; do
    [ -x "$prefix/bin/$program" ] || fail "no $prefix/bin/$program"
done
entry=$prefix/share/applications/trawlix-updrift.desktop
[ -f "$entry" ] || fail "no menu entry $entry"
grep -qx "Exec=$prefix/bin/Updrift" "$entry" || fail "menu entry does not start $prefix/bin/Updrift"
grep -qx "Type=Application" "$entry" || fail "menu entry is not an application"
[ -f "$prefix/share/icons/hicolor/64x64/apps/updrift.png" ] || fail "no menu icon"
rm -rf "$prefix"
echo "install check: ok"
