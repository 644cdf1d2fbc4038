#!/bin/bash
# Extraction speed: ExtractPackage under wine against Info-ZIP unzip and bsdtar natively, and
# a bare inflate of every entry through the same unzip layer without writing (under wine).
# Prints seconds, MB/s of uncompressed output, the ratios to unzip and the package's ReadFile
# calls per entry. Uses its own bench, so it can run beside the tests.
#
#   benchmarks/install/run_install_bench.sh [BUILD_DIR] [ROUNDS]
#
# BUILD_DIR defaults to build/x64-release (built first if needed); the best of ROUNDS (default
# 3) counts for each way. The package (about 200 MB, reproducible) is made once and kept in
# BUILD_DIR/bench-install/package.zip.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build/x64-release}
ROUNDS=${2:-3}

for tool in unzip bsdtar python3; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
. "$ROOT/benchmarks/bench-lib.sh"
bench_build install_bench bench-install
EXE="$BUILD/bin/install_bench.exe"
PACKAGE="$BB/package.zip"
OUT="$BB/out"

cleanup() {
  rm -rf "$OUT"
  "$ROOT/tests/bench/stop.sh" "$BB" >/dev/null 2>&1 || true
}
trap cleanup EXIT
mkdir -p "$BB"
if [ ! -f "$PACKAGE" ]; then
  python3 "$ROOT/benchmarks/install/make_bench_package.py" "$PACKAGE.part"
  mv "$PACKAGE.part" "$PACKAGE"
fi
"$ROOT/tests/bench/start.sh" "$BB" >/dev/null
win() { local p="Z:${1//\//\\}"; echo "$p"; }

ENTRIES=$(unzip -Z1 "$PACKAGE" | wc -l)
BYTES=$(unzip -Zt "$PACKAGE" | awk '{ print $3 }')
PACKAGE_BYTES=$(stat -c %s "$PACKAGE")

declare -A BEST CALLS
keep_best() { # way seconds [read calls]
  if [ -z "${BEST[$1]:-}" ] || awk -v a="$2" -v b="${BEST[$1]}" 'BEGIN { exit !(a < b) }'; then
    BEST[$1]=$2
    CALLS[$1]=${3:-}
  fi
}
native() { # way command...
  local way=$1 start end
  shift
  rm -rf "$OUT" && mkdir -p "$OUT" && sync
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  keep_best "$way" "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')"
  rm -rf "$OUT"
}
wine_way() { # way mode args...
  local way=$1 line mode result seconds entries files bytes calls
  shift
  rm -rf "$OUT" && mkdir -p "$OUT" && sync
  line=$(DL_BENCH_DIR="$BB" "$RUN" "$EXE" "$@")
  line=${line//$'\r'/}
  read -r mode result seconds entries files bytes calls <<<"$line"
  if [ "$result" != 0 ] || [ "$bytes" != "$BYTES" ] || [ "$entries" != "$ENTRIES" ]; then
    echo "$way: result $result, $entries entries, $bytes bytes (want $ENTRIES, $BYTES)" >&2
    exit 1
  fi
  keep_best "$way" "$seconds" "$calls"
  rm -rf "$OUT"
}

for _ in $(seq "$ROUNDS"); do
  wine_way extract extract "$(win "$PACKAGE")" "$(win "$OUT")"
  wine_way inflate inflate "$(win "$PACKAGE")"
  native unzip unzip -q -o "$PACKAGE" -d "$OUT"
  native bsdtar bsdtar -xf "$PACKAGE" -C "$OUT"
done

echo "package: $ENTRIES entries, $((PACKAGE_BYTES / 1000000)) MB, $((BYTES / 1000000)) MB" \
  "uncompressed; best of $ROUNDS ($(nproc) cores)"
printf '%-34s %8s %8s %9s %14s\n' way seconds MB/s "x unzip" "reads/entry"
for way in extract inflate unzip bsdtar; do
  case $way in
    extract) label="ExtractPackage (wine)" ;;
    inflate) label="bare inflate, no writing (wine)" ;;
    unzip) label="Info-ZIP unzip (native)" ;;
    bsdtar) label="bsdtar (native)" ;;
  esac
  awk -v l="$label" -v s="${BEST[$way]}" -v b="$BYTES" -v u="${BEST[unzip]}" \
    -v c="${CALLS[$way]:-}" -v n="$ENTRIES" 'BEGIN {
      printf "%-34s %8.2f %8.1f %9.2f %14s\n", l, s, b / 1e6 / s, s / u,
             (c == "" ? "-" : sprintf("%.2f", c / n))
    }'
done
