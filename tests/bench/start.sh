#!/bin/bash
# Starts the wine bench for one build tree: a private wine prefix and home, a virtual X display
# and a persistent wineserver, so each test program starts in a fraction of a second and never
# touches the real home or screen. Running it while the bench is up restarts it.
#
#   tests/bench/start.sh BENCH_DIR [--recreate]
#
# The prefix is made once, and again when prefix-settings.reg changes or with --recreate.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=bench-env.sh
. "$HERE/bench-env.sh"
bench_init "${1:-}"

die() {
  echo "start.sh: $*" >&2
  "$HERE/stop.sh" "$BENCH" >/dev/null 2>&1 || true
  exit 1
}

for tool in "$WINE64" "$WINESERVER" Xvfb xdpyinfo iconv; do
  command -v "$tool" >/dev/null 2>&1 || die "$tool not found (run scripts/setup.sh)"
done
"$HERE/stop.sh" "$BENCH" >/dev/null 2>&1 || true # whatever an earlier run left behind

start_xvfb() {
  local n pid
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # setsid: the server must outlive this script and ctest's process group.
    setsid Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp </dev/null >"$BENCH/xvfb.log" 2>&1 &
    pid=$!
    for _ in $(seq 100); do
      kill -0 "$pid" 2>/dev/null || continue 2 # lost a race for this number; try the next
      # The display may answer from another bench's server that took the number first (ours
      # then dies on the lock): only a lock holding our pid makes it ours.
      if xdpyinfo -display ":$n" >/dev/null 2>&1 &&
        [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$pid" ]; then
        echo "$pid" >"$BENCH/xvfb.pid"
        echo ":$n" >"$BENCH/display"
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null
  done
  return 1
}
start_xvfb || die "no Xvfb display could be started on :90..:140 (see $BENCH/xvfb.log)"

# The stamp holds the settings' checksum: a prefix made with other settings is made again.
settings_sum=$(sha256sum "$HERE/prefix-settings.reg" | cut -d' ' -f1)
if [ "${2:-}" = --recreate ] || [ "$(cat "$STAMP" 2>/dev/null)" != "$settings_sum" ]; then
  rm -rf "$PREFIX"
  mkdir -p "$PREFIX" "$BENCH_HOME/Desktop" # wineboot links the prefix's Desktop to it
  started=$SECONDS
  # Run from / so wine does not complain about a working folder outside C:.
  (cd / && "$WINE64" wineboot -i) >"$BENCH/wineboot.log" 2>&1 ||
    die "wineboot -i failed (see $BENCH/wineboot.log)"
  # prefix-settings.reg: the CJK font replacements and links (message boxes use Tahoma, which
  # has no CJK glyphs), and a crash debugger that does not exist: wine's default (winedbg
  # --auto) hangs on this display until killed, while a debugger that cannot start lets the
  # crashing program end at once with the exception code. regedit reads non-ASCII value names
  # only from UTF-16 files with a BOM.
  reg="$BENCH/prefix-settings.reg"
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$HERE/prefix-settings.reg"; } >"$reg"
  (cd / && "$WINE64" regedit /S "$reg") >>"$BENCH/wineboot.log" 2>&1 ||
    die "regedit failed (see $BENCH/wineboot.log)"
  # The registry must reach the disk before the prefix counts as ready: -k saves it at once
  # (an idle server quits by itself only five seconds later).
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  timeout 15 "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
  # user.reg spells non-ASCII names as \x escapes: this one is 微软雅黑.
  grep -qF '"\x5fae\x8f6f\x96c5\x9ed1"="WenQuanYi Micro Hei"' "$PREFIX/user.reg" ||
    die "font replacements missing from $PREFIX/user.reg"
  grep -q '"Debugger"="dl-bench-no-debugger.exe"' "$PREFIX/system.reg" ||
    die "crash debugger setting missing from $PREFIX/system.reg"
  echo "$settings_sum" >"$STAMP"
  echo "wine prefix created in $((SECONDS - started)) s"
fi

mkdir -p "$BENCH_HOME/Desktop"
# wineserver daemonises itself; without the redirections it would keep the caller's pipes
# (ctest's) open until the bench stops.
setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1 || die "wineserver -p failed"
# Warm up the services and explorer once, here, instead of in the first test.
(cd / && timeout 60 "$WINE64" cmd /c exit 0) </dev/null >/dev/null 2>&1 ||
  die "wine does not run programs in $PREFIX"
echo "wine bench ready: DISPLAY=$(cat "$BENCH/display") WINEPREFIX=$PREFIX"
