#!/bin/bash
# The test package must be a zip every common tool accepts, hold the lobby that was just built,
# come out the same on every build, and its lobby must run and leave its note beside itself.
#
#   package_test.sh PACKAGE.zip lobby.exe PYTHON make_package.py
set -uo pipefail
PACKAGE=${1:?usage: package_test.sh PACKAGE.zip lobby.exe PYTHON make_package.py}
LOBBY=${2:?}
PYTHON=${3:?}
MAKER=${4:?}
: "${DL_WINE_RUN:?DL_WINE_RUN must name the wine wrapper}"

. "$(dirname "$0")/../support/harness.sh"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/package-test.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT

# What the downloader relies on: one top folder, the lobby inside, both methods, fixed times.
"$PYTHON" - "$PACKAGE" "$LOBBY" <<'PY' || fail "package layout (see above)"
import sys, zipfile
package, lobby = sys.argv[1], sys.argv[2]
z = zipfile.ZipFile(package)
infos = z.infolist()
names = [i.filename for i in infos]
bad = []
if not 250 <= len(names) <= 400: bad.append(f"{len(names)} entries")
if any(not n.startswith("Tavoro/") for n in names): bad.append("an entry outside Tavoro/")
if names != sorted(names): bad.append("entries not sorted")
if {i.compress_type for i in infos} != {zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED}:
    bad.append("not both stored and deflated entries")
if {i.date_time for i in infos} != {(2024, 1, 1, 0, 0, 0)}: bad.append("timestamps vary")
if not any(i.is_dir() for i in infos): bad.append("no directory entries")
if not any(i.file_size == 0 and not i.is_dir() for i in infos): bad.append("no empty files")
if max(i.file_size for i in infos) < 1000000: bad.append("no MB-sized file")
if z.read("Tavoro/lobby.exe") != open(lobby, "rb").read(): bad.append("lobby.exe is stale")
for b in bad: print("package:", b, file=sys.stderr)
print(f"package: {len(names)} entries")
sys.exit(1 if bad else 0)
PY

timeout 60 unzip -tq "$PACKAGE" >"$tmp/unzip.log" 2>&1 || { cat "$tmp/unzip.log" >&2; fail "unzip -t"; }
timeout 60 7z t "$PACKAGE" >"$tmp/7z.log" 2>&1 || { cat "$tmp/7z.log" >&2; fail "7z t"; }

mkdir -p "$tmp/x" "$tmp/elsewhere"
if ! timeout 60 bsdtar -xf "$PACKAGE" -C "$tmp/x"; then
  fail "bsdtar could not extract the package"
else
  [ -f "$tmp/x/Tavoro/lobby.exe" ] || fail "Tavoro/lobby.exe missing after extraction"
  # A folder that only its directory entry creates.
  [ -d "$tmp/x/Tavoro/cache" ] || fail "the empty folder Tavoro/cache was not extracted"

  # Started from another folder, the note must still land beside the exe, not in the cwd.
  (cd "$tmp/elsewhere" && timeout 60 "$DL_WINE_RUN" "$tmp/x/Tavoro/lobby.exe" --from-test "two words")
  rc=$?
  [ "$rc" -eq 0 ] || fail "lobby.exe ended with $rc"
  note="$tmp/x/Tavoro/lobby_ran.txt"
  if [ ! -f "$note" ]; then
    fail "lobby_ran.txt did not appear beside lobby.exe"
    [ -f "$tmp/elsewhere/lobby_ran.txt" ] && fail "lobby_ran.txt went to the working folder"
  else
    cat "$note"
    grep -q '^command_line=.*lobby\.exe.* --from-test "two words"$' "$note" ||
      fail "command line not recorded as given"
    grep -qi '^cwd=.*\\elsewhere$' "$note" || fail "working folder not recorded"
    grep -qE '^elevated=(0|1)$' "$note" || fail "elevation not recorded as 0 or 1"
  fi
fi

# A rebuilt package must be byte for byte the same, or resumed downloads would mix two files.
"$PYTHON" "$MAKER" --lobby "$LOBBY" --out "$tmp/again.zip" >/dev/null &&
  cmp -s "$PACKAGE" "$tmp/again.zip" || fail "making the package again gave different bytes"

"$PYTHON" "$MAKER" --lobby "$LOBBY" --out "$tmp/big.zip" --size-mb 20 >/dev/null ||
  fail "make_package.py --size-mb 20 failed"
size=$(stat -c %s "$tmp/big.zip" 2>/dev/null || echo 0)
target=$((20 * 1024 * 1024))
[ $((size > target ? size - target : target - size)) -le $((target / 100)) ] ||
  fail "--size-mb 20 gave $size bytes, not about $target"

finish_checks "test package OK"
