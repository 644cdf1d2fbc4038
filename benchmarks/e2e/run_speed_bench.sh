#!/bin/bash
# The installation's speed as a player sees it, against native tools on the same machine: the
# loopback downloader under wine installs two packages from the local nginx, clicked like a
# person, and each figure is printed with its goal:
#
#  1. install button to the lobby's start (the moment the lobby's process began, lobby_start.py,
#     counted from the button's release) against native curl to a file followed by Info-ZIP
#     `unzip -o -q` into a fresh folder on the same disk; goal at most 1.5 x.
#  2. the same with nginx's limit_rate 10m (10 MiB/s) on the package, against curl alone over
#     the same limit; goal at most 1.05 x (the unpacking hidden behind the download).
#  3. CPU seconds per 100 MB of package (the whole process, /usr/bin/time), peak private memory
#     (largest RssAnon, sample_process.py; goal at most 32 MiB), and DownloadToFile against a
#     bare 64 KiB read loop over the same package (download_bench client / bare64k under wine,
#     their own clocks); goal at least 0.9 x.
#  Where the time goes: the download alone (DownloadToFile), the extraction alone
#  (install_bench extract), curl alone, unzip alone, and the lobby's own start (its process
#  begun to its note written).
#
# The packages, kept in BUILD_DIR/bench-speed/packages: a mixed one of 121 MB in 1,383 entries
# packed by Info-ZIP zip to 75 MB (make_bench_package.py --info-zip), and the
# 200 MiB test package of run_product_bench.sh (make_package.py --size-mb 200). Both carry the
# test lobby at Tavoro/lobby.exe.
#
#   benchmarks/e2e/run_speed_bench.sh [BUILD_DIR] [ROUNDS]
#
# BUILD_DIR defaults to build/x64-release, ROUNDS to 2 (each figure's best counts).
# DL_BENCH_UNCHECKED=1 runs the program built without the site's key (no signature check).
# A bench of its own (display, prefix, wineserver), stopped with the servers however the script
# ends; the servers take the loopback ports the build was configured with (its e2e.env), so it
# does not run beside the end-to-end tests of the same build.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${1:-$ROOT/build/x64-release}
ROUNDS=${2:-2}
HERE="$ROOT/benchmarks/e2e"
LIMIT=10m

for tool in curl zip unzip /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
. "$ROOT/benchmarks/bench-lib.sh"
program_target=e2e_downloader
[ "${DL_BENCH_UNCHECKED:-0}" = 1 ] && program_target=e2e_downloader_unchecked
bench_build_targets "$program_target" test_package lobby download_bench install_bench

# shellcheck source=../../tests/e2e/lib.sh
. "$ROOT/tests/e2e/lib.sh"
. "$HERE/install-round.sh"
E2E_BENCH_OVERRIDE="$BUILD/bench-speed"
E2E_WORK="$BUILD/bench-speed/run"
e2e_load "$BUILD/e2e/e2e.env"
[ "$program_target" = e2e_downloader_unchecked ] && E2E_DOWNLOADER=$E2E_DOWNLOADER_UNCHECKED
set +e
NATIVE="$E2E_WORK/native"
SCRATCH_WIN='C:\bench-speed'
SCRATCH="$E2E_DRIVE_C/bench-speed"
# What an interrupted run leaves is large: the installed packages, their native twins.
E2E_EXTRA_CLEANUP='rm -rf "$E2E_DRIVE_C/Program Files/Tavoro" "$NATIVE" "$SCRATCH";
  "$E2E_BENCH_SOURCE_DIR/stop.sh" "$E2E_BENCH" >/dev/null 2>&1'
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM
"$E2E_BENCH_SOURCE_DIR/start.sh" "$E2E_BENCH" >/dev/null || exit 1
e2e_prepare
e2e_site_start
e2e_update_start 0

die() {
  echo "run_speed_bench.sh: $*" >&2
  exit 1
}
secs() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

declare -A BEST
# keep_min NAME VALUE: each figure's best (lowest) over the rounds.
keep_min() {
  if [ -z "${BEST[$1]:-}" ] || awk -v a="$2" -v b="${BEST[$1]}" 'BEGIN { exit !(a < b) }'; then
    BEST[$1]=$2
  fi
}

packages="$E2E_BENCH/packages"
mkdir -p "$packages"
mixed="$packages/mixed_info_zip.zip"
if ! [ "$mixed" -nt "$E2E_LOBBY" ]; then
  e2e_say "making the mixed package (Info-ZIP)"
  "$E2E_PYTHON" "$ROOT/benchmarks/install/make_bench_package.py" "$mixed.part" --info-zip \
    --files 1261 --folders 120 --large 16 --random-share 0.46 --lobby "$E2E_LOBBY" &&
    mv "$mixed.part" "$mixed" || die "could not make $mixed"
fi
test200="$packages/package_200mb.zip"
if ! [ "$test200" -nt "$E2E_LOBBY" ]; then
  e2e_say "making the 200 MiB test package"
  "$E2E_PYTHON" "$E2E_MAKE_PACKAGE" --lobby "$E2E_LOBBY" --out "$test200" --size-mb 200 \
    >/dev/null || die "could not make $test200"
fi
cp "$E2E_DOWNLOADER" "$E2E_APP_DIR/$E2E_PROGRAM_NAME"
url="http://127.0.0.1:$E2E_UPDATE_PORT$E2E_PACKAGE_PATH"

# install_once KEY: one installation clicked like a person; the seconds from the click to the
# lobby's start, and with the server unlimited (KEY ends in ".fast") its CPU and memory.
install_once() {
  local key=$1 watcher started note
  e2e_clean_machine
  sync
  install_round_launch "$total"
  e2e_wait_window 20 || die "$key: the installer window did not appear"
  "$E2E_PYTHON" "$HERE/lobby_start.py" "$E2E_PREFIX" 900 >"$E2E_WORK/lobby-start.txt" &
  watcher=$!
  E2E_PIDS+=("$watcher")
  e2e_click_install
  install_round_finish
  e2e_lobby_ran || die "$key: the installation did not complete (lobby_ran.txt missing)"
  e2e_wait_exit "$watcher" 5 && [ "$E2E_RC" = 0 ] || die "$key: no lobby process was seen"
  started=$(cat "$E2E_WORK/lobby-start.txt")
  note=$(stat -c %.9Y "$E2E_INSTALL_DIR/lobby_ran.txt")
  keep_min "$key.install" "$(secs "$E2E_CLICKED_AT" "$started")"
  keep_min "$key.lobby" "$(secs "$started" "$note")"
  keep_min "$key.arrived" "$(secs "$E2E_CLICKED_AT" "$EPOCH_AT_PACKAGE")"
  keep_min "$key.after" "$(secs "$EPOCH_AT_PACKAGE" "$started")"
  e2e_say "$key: click to lobby $(secs "$E2E_CLICKED_AT" "$started") s," \
    "peak private $((PEAK_ANON_KIB / 1024)) MiB, CPU $user + $sys s"
  case $key in
    *.fast)
      keep_min "$key.cpu" "$(awk -v u="$user" -v s="$sys" -v b="$total" \
        'BEGIN { printf "%.2f", (u + s) * 100 / (b / 1e6) }')"
      keep_min "$key.anon" "$(awk -v k="$PEAK_ANON_KIB" 'BEGIN { printf "%.1f", k / 1024 }')"
      ;;
  esac
}

# native_once KEY [curl]: curl to a file in a fresh folder, then (unless "curl") unzip there.
native_once() {
  local key=$1 t0 t1 t2
  rm -rf "$NATIVE" && mkdir -p "$NATIVE/out" && sync
  t0=$(date +%s.%N)
  curl -sSf -o "$NATIVE/package.zip" "$url" || die "$key: curl failed"
  t1=$(date +%s.%N)
  keep_min "$key.curl" "$(secs "$t0" "$t1")"
  [ "${2:-}" = curl ] && return
  unzip -o -q "$NATIVE/package.zip" -d "$NATIVE/out" || [ $? = 1 ] || die "$key: unzip failed"
  t2=$(date +%s.%N)
  keep_min "$key.unzip" "$(secs "$t1" "$t2")"
  keep_min "$key.native" "$(secs "$t0" "$t2")"
}

# wine_once KEY FIGURE FIELD PROGRAM ARGS...: runs a benchmark program under wine and keeps its
# own seconds (the third field of its line) as FIGURE; field FIELD, its result, must be 0.
wine_once() {
  local key=$1 figure=$2 field=$3 line
  shift 3
  local f
  line=$("$E2E_WINE_RUN" "$@" 2>/dev/null)
  line=${line//$'\r'/}
  read -r -a f <<<"$line"
  [ "${f[$field]:-1}" = 0 ] || die "$key: $figure failed: '$line'"
  keep_min "$key.$figure" "${f[2]}"
}

# Where the time goes: the download alone and the extraction alone, under wine, to C:.
parts_once() {
  local key=$1 host="127.0.0.1:$E2E_UPDATE_PORT"
  rm -rf "$SCRATCH" && mkdir -p "$SCRATCH" && sync
  wine_once "$key" download 6 "$BUILD/bin/download_bench.exe" client "$host" "$E2E_PACKAGE_PATH" \
    "$SCRATCH_WIN\\package.install"
  cmp -s "$SCRATCH/package.install" "$(e2e_served_package)" ||
    die "$key: DownloadToFile wrote other bytes"
  wine_once "$key" bare64k 6 "$BUILD/bin/download_bench.exe" bare64k "$host" "$E2E_PACKAGE_PATH"
  sync
  wine_once "$key" extract 1 "$BUILD/bin/install_bench.exe" extract \
    "$(e2e_win_path "$(e2e_served_package)")" "$SCRATCH_WIN\\out"
  rm -rf "$SCRATCH"
}

# measure KEY PACKAGE: every figure of one package, best of ROUNDS.
measure() {
  local key=$1 round
  e2e_serve_package "$2"
  total=$(e2e_size "$2")
  BEST[$key.bytes]=$total
  SIZE[$key]="$total bytes, $(unzip -Zt "$2" | awk '{ print $3 }') unpacked, $(unzip -Z1 "$2" | wc -l) entries"
  for round in $(seq "$ROUNDS"); do
    e2e_say "$key: round $round of $ROUNDS, nginx unlimited"
    install_once "$key.fast"
    native_once "$key.fast"
    parts_once "$key"
  done
  e2e_update_stop
  e2e_update_start 0 "$LIMIT"
  for round in $(seq "$ROUNDS"); do
    e2e_say "$key: round $round of $ROUNDS, nginx limit_rate $LIMIT"
    install_once "$key.limited"
    native_once "$key.limited" curl
  done
  e2e_update_stop
  e2e_update_start 0
  rm -rf "$NATIVE"
  e2e_clean_machine
}

declare -A SIZE
measure mixed "$mixed"
measure test200 "$test200"

# row LABEL GOAL EXPRESSION: a line of the table, the packages side by side. EXPRESSION is awk
# over a package's figures (keep_min's names after the package's key, dots made underscores);
# GOAL ("<= 1.5", ">= 0.9" or empty) adds whether each value meets it.
row() {
  local label=$1 goal=$2 expression=$3 key name test="" out
  [ -n "$goal" ] && test="printf (v $goal) ? \" met\" : \" NOT met\""
  out=$(printf '  %-48s' "$label")
  for key in mixed test200; do
    local vars=()
    for name in "${!BEST[@]}"; do
      [[ $name == "$key".* ]] && vars+=(-v "$(tr . _ <<<"${name#"$key".}")=${BEST[$name]}")
    done
    out+=$(printf ' %14s' "$(awk "${vars[@]}" "BEGIN { v = $expression; printf \"%.2f\", v; $test }")")
  done
  printf '%s%s\n' "$out" "${goal:+   goal $goal}"
}

echo
echo "installation speed under wine ($program_target), x64 release, nginx on 127.0.0.1," \
  "best of $ROUNDS per figure ($(nproc) cores); the run took $((SECONDS / 60)) min $((SECONDS % 60)) s"
echo "  mixed:   ${SIZE[mixed]}, packed by Info-ZIP zip"
echo "  test200: ${SIZE[test200]}, the 200 MiB test package"
printf '  %-48s %14s %14s\n' "" mixed test200
echo "1. nginx unlimited"
row "click to the lobby's start (s)" "" fast_install
row "  of it: click to the package's last byte" "" fast_arrived
row "  of it: the last byte to the lobby's start" "" fast_after
row "curl + unzip, native, one after the other (s)" "" fast_native
row "  ratio" "<= 1.5" "fast_install / fast_native"
echo "2. nginx limit_rate $LIMIT"
row "click to the lobby's start (s)" "" limited_install
row "  of it: the last byte to the lobby's start" "" limited_after
row "curl alone, native (s)" "" limited_curl
row "  ratio" "<= 1.05" "limited_install / limited_curl"
echo "3. the program (nginx unlimited)"
row "CPU s per 100 MB, whole process" "" fast_cpu
row "peak private memory, RssAnon (MiB)" "<= 32" fast_anon
row "DownloadToFile under wine (MB/s)" "" "bytes / 1e6 / download"
row "bare 64 KiB read loop under wine (MB/s)" "" "bytes / 1e6 / bare64k"
row "  ratio" ">= 0.9" "bare64k / download"
echo "where the time goes (nginx unlimited, s)"
row "download alone, DownloadToFile under wine" "" download
row "extraction alone, ExtractPackage under wine" "" extract
row "  the two, one after the other" "" "download + extract"
row "curl alone, native" "" fast_curl
row "unzip alone, native" "" fast_unzip
row "lobby: its process begun to its note written" "" fast_lobby
