#!/bin/bash
# Download throughput under wine against the local nginx: the program's DownloadToFile,
# bare library read loops with 4 KiB and 64 KiB reads, and curl natively. Prints MB/s,
# the ratios, CPU seconds per 100 MB of the client and of the wineserver, and the client's
# peak working set. Uses its own bench and servers, so it can run beside the tests.
#
#   benchmarks/net/run_download_bench.sh [BUILD_DIR] [SIZE_MB] [ROUNDS]
#
# BUILD_DIR defaults to build/x64-release (built first if needed); the best of ROUNDS
# (default 3) counts for each way.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build/x64-release}
SIZE_MB=${2:-200}
ROUNDS=${3:-3}

. "$ROOT/benchmarks/bench-lib.sh"
bench_build download_bench bench-net
EXE="$BUILD/bin/download_bench.exe"
bench_start_with_servers
HOST="127.0.0.1:$DL_NGINX_PORT"
NAME="bench_${SIZE_MB}mb.zip"
head -c "$((SIZE_MB * 1024 * 1024))" /dev/urandom >"$DL_SERVERS_DIR/www/update/$NAME"
mkdir -p "$BB/out"
OUT_WIN="Z:${BB//\//\\}\\out\\package.install"

wineserver_pid() {
  local pid
  for pid in $(pgrep -x wineserver64) $(pgrep -x wineserver); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$BB/wineprefix"; then
      echo "$pid"
      return
    fi
  done
}
# utime + stime of a process, in seconds.
cpu_of() {
  awk -v hz="$(getconf CLK_TCK)" '{ printf "%.3f", ($14 + $15) / hz }' "/proc/$1/stat"
}

SERVER_PID=$(wineserver_pid)
[ -n "$SERVER_PID" ] || { echo "no wineserver for $BB" >&2; exit 1; }

declare -A BEST_WALL BEST_LINE BEST_SERVER
run_wine() {
  local mode=$1 before after line wall
  rm -f "$BB/out/package.install"
  before=$(cpu_of "$SERVER_PID")
  if [ "$mode" = client ]; then
    line=$(DL_BENCH_DIR="$BB" "$RUN" "$EXE" client "$HOST" "/update/$NAME" "$OUT_WIN")
  else
    line=$(DL_BENCH_DIR="$BB" "$RUN" "$EXE" "$mode" "$HOST" "/update/$NAME")
  fi
  after=$(cpu_of "$SERVER_PID")
  line=${line//$'\r'/}
  read -r _ bytes wall _ _ _ result <<<"$line"
  if [ "$bytes" -ne "$((SIZE_MB * 1024 * 1024))" ] || { [ "$mode" = client ] && [ "$result" != 0 ]; }; then
    echo "$mode: fetched $bytes bytes, result $result" >&2
    exit 1
  fi
  if [ -z "${BEST_WALL[$mode]:-}" ] || awk -v a="$wall" -v b="${BEST_WALL[$mode]}" 'BEGIN { exit !(a < b) }'; then
    BEST_WALL[$mode]=$wall
    BEST_LINE[$mode]=$line
    BEST_SERVER[$mode]=$(awk -v a="$before" -v b="$after" 'BEGIN { printf "%.3f", b - a }')
  fi
}
run_curl() {
  local out
  out=$( { /usr/bin/time -f "%U %S" curl -s -o /dev/null -w '%{size_download} %{time_total}\n' \
    "http://$HOST/update/$NAME"; } 2>&1)
  read -r bytes wall <<<"$(echo "$out" | head -1)"
  read -r user sys <<<"$(echo "$out" | tail -1)"
  if [ -z "${BEST_WALL[curl]:-}" ] || awk -v a="$wall" -v b="${BEST_WALL[curl]}" 'BEGIN { exit !(a < b) }'; then
    BEST_WALL[curl]=$wall
    BEST_LINE[curl]="curl $bytes $wall $user $sys 0 0"
    BEST_SERVER[curl]=0
  fi
}

for _ in $(seq "$ROUNDS"); do
  for mode in client bare4k bare64k; do run_wine "$mode"; done
  run_curl
done
rm -f "$DL_SERVERS_DIR/www/update/$NAME"

echo "download of $SIZE_MB MiB from nginx on 127.0.0.1, best of $ROUNDS ($(nproc) cores)"
printf '%-26s %9s %9s %12s %14s %10s\n' way MB/s "x bare4k" "cpu s/100MB" "wsrv s/100MB" "peak MiB"
base=$(awk -v w="${BEST_WALL[bare4k]}" -v m="$SIZE_MB" 'BEGIN { print m * 1.048576 / w }')
for mode in client bare4k bare64k curl; do
  read -r _ bytes wall user sys peak _ <<<"${BEST_LINE[$mode]}"
  case $mode in
    client) label="DownloadToFile (wine)" ;;
    bare4k) label="bare 4 KiB loop (wine)" ;;
    bare64k) label="bare 64 KiB loop (wine)" ;;
    curl) label="curl (native)" ;;
  esac
  awk -v l="$label" -v b="$bytes" -v w="$wall" -v u="$user" -v s="$sys" -v p="$peak" \
    -v ws="${BEST_SERVER[$mode]}" -v base="$base" 'BEGIN {
      mb = b / 1e6; rate = mb / w; per = 100 / mb
      printf "%-26s %9.1f %9.2f %12.2f %14.2f %10s\n", l, rate, rate / base, (u + s) * per,
             ws * per, (p > 0 ? sprintf("%.1f", p / 1048576) : "-")
    }'
done
