#!/bin/bash
# Builds each fuzz harness with clang and libFuzzer against the pure sources it covers, then
# runs it for a bounded time over a scratch copy of its seeds (the seed folders are never
# written), with tests/fuzz/<harness>.dict as its dictionary where there is one. A crash,
# sanitizer report or broken invariant fails the run; the input that did it is kept as
# BUILD_DIR/<harness>-crash-*.
#
#   tests/fuzz/run_fuzzers.sh BUILD_DIR [SECONDS_EACH=20] [HARNESS...]
# Extra compiler flags come from $DL_FUZZ_FLAGS.
set -euo pipefail

build=${1:?usage: run_fuzzers.sh BUILD_DIR [SECONDS_EACH] [HARNESS...]}
seconds=${2:-20}
shift $(($# < 2 ? $# : 2))
root=$(cd "$(dirname "$0")/../.." && pwd)
here="$root/tests/fuzz"

declare -A sources=(
  [entry_name]="install/entry_name.cpp"
  [http_parse]="net/http_parse.cpp net/part_record.cpp base/bounded_text.cpp"
  [report]="net/url_encode.cpp net/report_url.cpp net/http_parse.cpp net/diagnostic_text.cpp base/bounded_text.cpp"
  [share_id]="config/share_id.cpp"
  [trust]="trust/der_reader.cpp trust/public_key_pem.cpp trust/ecdsa_signature.cpp"
  [zip_stream]="install/zip_stream.cpp"
)
# Libraries and run options beyond the defaults: the zip reader inflates with Debian's zlib (as
# the native build does), and holds at most one local header however big the archive claims to be.
declare -A libs=([zip_stream]="-lz")
declare -A options=([zip_stream]="-malloc_limit_mb=64")
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(entry_name http_parse report share_id trust zip_stream)

mkdir -p "$build"
failed=0
for name in "${harnesses[@]}"; do
  [ -n "${sources[$name]:-}" ] || { echo "fuzz: unknown harness $name" >&2 && exit 2; }
  bin="$build/fuzz_$name"
  # shellcheck disable=SC2086
  clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" ${DL_FUZZ_FLAGS:-} -o "$bin" "$here/fuzz_$name.cpp" $(printf "$root/%s " ${sources[$name]}) \
    ${libs[$name]:-}
  corpus="$build/corpus_$name"
  rm -rf "$corpus" "$build/$name"-crash-*
  cp -r "$here/seeds/$name" "$corpus"
  log="$build/fuzz_$name.log"
  run=(-max_total_time="$seconds" -timeout=5 -print_final_stats=1 -artifact_prefix="$build/$name-")
  [ -f "$here/$name.dict" ] && run+=(-dict="$here/$name.dict")
  # shellcheck disable=SC2206
  run+=(${options[$name]:-})
  if "$bin" "${run[@]}" "$corpus" >"$log" 2>&1; then
    runs=$(awk '/stat::number_of_executed_units/ { print $2 }' "$log")
    echo "fuzz $name: ok, $runs runs in ${seconds} s ($((runs / seconds))/s)"
  else
    failed=1
    echo "fuzz $name: FAILED (log $log)"
    grep -E 'ERROR|SUMMARY|Test unit written| #[0-9]+ .* in (dl::|LLVMFuzzerTestOneInput)' "$log" | head -20
  fi
done
exit $failed
