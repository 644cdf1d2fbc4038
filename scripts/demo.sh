#!/usr/bin/env bash
# The demo: builds the downloader and runs it under wine. On $DISPLAY when there is one
# (close the window with Esc); otherwise on a virtual display, saving a screenshot.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
zlib=$(bash scripts/setup.sh --print-zlib-dir)
cmake --preset x64-release -DDL_ZLIB_SOURCE_DIR="$zlib" >/dev/null
cmake --build --preset x64-release --target downloader

bench="$root/build/demo"
mkdir -p "$bench"
cp tests/bench/wine-run.sh.in "$bench/wine-run.sh"
sed -i "s|@DL_BENCH_DIR@|$bench|; s|@DL_BENCH_SOURCE_DIR@|$root/tests/bench|" "$bench/wine-run.sh"
chmod +x "$bench/wine-run.sh"
user_display="${DISPLAY:-}"
tests/bench/start.sh "$bench" >/dev/null
trap 'tests/bench/stop.sh "$bench" >/dev/null 2>&1 || true' EXIT

program="$bench/Setup_123456.exe"
cp build/x64-release/bin/downloader.exe "$program"
if [ -n "$user_display" ]; then
  echo "Running the downloader on $user_display; press Esc in its window to close it."
  DL_DISPLAY="$user_display" "$bench/wine-run.sh" "$program"
  exit 0
fi

DISPLAY=$(cat "$bench/display")
export DISPLAY
"$bench/wine-run.sh" "$program" &
app=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name '客户端下载器' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "demo: the downloader window did not appear" >&2; exit 1; }
sleep 1
shot="$bench/screenshot.png"
import -window root "$shot"
# Close it like a person would (Esc); if the key does not arrive, end it.
xdotool windowactivate --sync "$window" key Escape >/dev/null 2>&1 || true
for _ in $(seq 25); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
echo "Screenshot of the downloader window: $shot"
