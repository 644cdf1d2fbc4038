#!/bin/bash
# The download's retries under wine, through the installation controller as the program runs
# it, against the fault server: against a server that drops every connection, the connections
# made and the seconds to the download failure notice; against one that drops after every
# 5 MiB of a SIZE_MB package, the time of the whole download against the same transfer
# without drops, in one run. Uses its own bench and servers, so it can run beside the tests.
#
#   benchmarks/net/run_retry_bench.sh [BUILD_DIR] [SIZE_MB=200] [DROP_MB=5] [WHICH=dead,drops]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build/x64-release}
SIZE_MB=${2:-200}
DROP_MB=${3:-5}
WHICH=${4:-dead,drops}

. "$ROOT/benchmarks/bench-lib.sh"
bench_build retry_bench bench-retry
EXE="$BUILD/bin/retry_bench.exe"
bench_start_with_servers
FAULT="127.0.0.1:$DL_FAULT_PORT"
OUT_WIN="Z:${BB//\//\\}\\out"
run=$$-$(date +%s)

# bench PATH: "outcome seconds" of one installation's download from the fault server.
bench() {
  rm -rf "$BB/out" && mkdir -p "$BB/out"
  DL_BENCH_DIR="$BB" "$RUN" "$EXE" "$FAULT" "$1" "$OUT_WIN" | tr -d "\r"
  local status=${PIPESTATUS[0]}
  [ "$status" = 0 ] || echo "retry_bench exited with $status" >&2
}
requests() { grep -c "$1" "$DL_SERVERS_DIR/fault.log" || true; }

if [[ $WHICH == *dead* ]]; then
  read -r outcome seconds <<<"$(bench "/dead?dead-$run")"
  connections=$(requests "dead-$run")
  echo "server dropping every connection: $outcome after $seconds s, $connections connections"
fi
[[ $WHICH == *drops* ]] || exit 0

size=$((SIZE_MB * 1024 * 1024))
read -r o1 plain <<<"$(bench "/drop/$size/$size?plain-$run")"
read -r o2 dropped <<<"$(bench "/drop/$size/$((DROP_MB * 1024 * 1024))?drops-$run")"
[ "$o1" = complete ] && [ "$o2" = complete ] || { echo "downloads: $o1 $o2" >&2; exit 1; }
echo "$SIZE_MB MiB undisturbed: $plain s; dropped every $DROP_MB MiB: $dropped s" \
  "($(requests "drops-$run") requests); ratio $(awk -v a="$dropped" -v b="$plain" \
  'BEGIN { printf "%.2f", a / b }')"
