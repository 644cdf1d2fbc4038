#!/bin/bash
# Paint cost of a skinned window under wine: a 600 x 350 window with 25 skinned controls (the
# PNG skins of res/images loaded as files), repainted whole and through a 150 x 25 dirty
# rectangle, on the plain and on the layered path. Prints microseconds per repaint. Uses its
# own bench, so it can run beside the tests.
#
#   benchmarks/ui/run_paint_bench.sh [BUILD_DIR] [ITERATIONS]
#
# BUILD_DIR defaults to build/x64-release (configured first if needed); ITERATIONS (default
# 500) repaints are timed for each figure.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build/x64-release}
ITERATIONS=${2:-500}

. "$ROOT/benchmarks/bench-lib.sh"
bench_build paint_bench bench-paint

cleanup() { "$ROOT/tests/bench/stop.sh" "$BB" >/dev/null 2>&1 || true; }
trap cleanup EXIT
mkdir -p "$BB"
"$ROOT/tests/bench/start.sh" "$BB" >/dev/null
IMAGES="Z:${ROOT//\//\\}\\res\\images"
DL_BENCH_DIR="$BB" "$RUN" "$BUILD/bin/paint_bench.exe" "$IMAGES" "$ITERATIONS" | tr -d '\r'
