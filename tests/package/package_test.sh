#!/bin/bash
# The generated package is a zip that other tools accept, has the lobby where the installer
# expects it, and the lobby inside it runs and leaves its note.
#
#   package_test.sh PACKAGE.zip     (DL_WINE_RUN: the wine wrapper of the bench)
set -euo pipefail
package=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

unzip -tq "$package" >/dev/null || fail "unzip -t rejects the package"
7z t "$package" >/dev/null || fail "7z t rejects the package"
entries=$(unzip -Z1 "$package" | wc -l)
[ "$entries" -ge 250 ] || fail "only $entries entries"
outside=$(unzip -Z1 "$package" | grep -cv '^Tavoro/' || true)
[ "$outside" -eq 0 ] || fail "$outside entries lie outside Tavoro/"

bsdtar -xf "$package" -C "$work"
[ -f "$work/Tavoro/lobby.exe" ] || fail "no Tavoro/lobby.exe"
[ -d "$work/Tavoro/cache" ] || fail "the folder that exists only as an entry is missing"

timeout 60 "$DL_WINE_RUN" "$work/Tavoro/lobby.exe" --probe-arg
note="$work/Tavoro/lobby_ran.txt"
[ -f "$note" ] || fail "the lobby left no lobby_ran.txt"
grep -q '^command_line=.*lobby\.exe.* --probe-arg' "$note" || fail "command line missing: $(cat "$note")"
grep -q '^elevated=[01]$' "$note" || fail "elevation unreadable: $(cat "$note")"
echo "package ok: $entries entries, lobby ran: $(tr '\n' ' ' <"$note")"
