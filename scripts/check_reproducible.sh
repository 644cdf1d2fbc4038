#!/usr/bin/env bash
# Builds the downloader of an existing build folder a second time, from a copy of the sources in
# another absolute folder and with the same settings, and fails unless both programs are
# byte-identical and neither names the folders it was built in. A release is only checkable by
# others if its bytes follow from the commit and the settings alone.
#
#   check_reproducible.sh BUILD_DIR     (BUILD_DIR configured and its downloader built)
#
# CMAKE_BUILD_PARALLEL_LEVEL sets the build's jobs (2 when unset); TMPDIR where the copy goes.
set -euo pipefail

build_dir=${1:?usage: check_reproducible.sh BUILD_DIR}
build_dir=$(cd "$build_dir" && pwd)
cache="$build_dir/CMakeCache.txt"
[ -f "$cache" ] || {
  echo "check_reproducible.sh: $build_dir is not a configured build folder" >&2
  exit 2
}
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$cache" | head -n 1; }
source_dir=$(cache_value CMAKE_HOME_DIRECTORY)
program="$build_dir/bin/downloader.exe"
[ -f "$program" ] || {
  echo "check_reproducible.sh: $program is not built" >&2
  exit 2
}

work=$(mktemp -d "${TMPDIR:-/tmp}/dl-repro.XXXXXX")
trap 'rm -rf "$work"' EXIT
copy="$work/elsewhere/src"
mkdir -p "$copy"
# The sources as they are (uncommitted edits included), without builds or history.
tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf -

# The user's settings: every DL_ entry a person can set, the build type, the compiler and linker
# flags and the toolchain; a value naming the source folder is moved into the copy so that the
# second build never reads the first one's folders. The tests are not built: they are no part
# of the program.
settings='^(DL_[A-Z0-9_]+|CMAKE_BUILD_TYPE|CMAKE_(C|CXX|RC|EXE_LINKER)_FLAGS(_[A-Z]+)?):'
args=()
while IFS= read -r line; do
  name=${line%%:*}
  value=${line#*=}
  value=${value//"$source_dir"/"$copy"}
  args+=("-D$name=$value")
done < <(grep -E "$settings(STRING|PATH|FILEPATH|BOOL)=" "$cache")
toolchain=$(cache_value CMAKE_TOOLCHAIN_FILE)
args+=("-DCMAKE_TOOLCHAIN_FILE=${toolchain//"$source_dir"/"$copy"}" -DDL_BUILD_TESTS=OFF)

again="$work/elsewhere/build"
started=$SECONDS
cmake -S "$copy" -B "$again" -G "$(cache_value CMAKE_GENERATOR)" "${args[@]}" \
  >"$work/configure.log" 2>&1 || {
  cat "$work/configure.log" >&2
  echo "check_reproducible.sh: configuring the second build failed" >&2
  exit 1
}
cmake --build "$again" --target downloader --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-2}" \
  >"$work/build.log" 2>&1 || {
  tail -n 40 "$work/build.log" >&2
  echo "check_reproducible.sh: the second build failed" >&2
  exit 1
}
second="$again/bin/downloader.exe"

status=0
if ! cmp -s "$program" "$second"; then
  status=1
  echo "$program differs from the same build in $again:" >&2
  differences=$(cmp -l "$program" "$second" || true)
  echo "  $(wc -l <<<"$differences") byte(s) differ; the first ones" \
    "(offset from 1, octal values):" >&2
  head -n 8 <<<"$differences" | sed 's/^/    /' >&2
  # The headers side by side, each read where it lies so that only their contents differ.
  objdump=$(cache_value CMAKE_OBJDUMP)
  headers() { (cd "$(dirname "$1")" && "$objdump" -x "$(basename "$1")" 2>&1); }
  diff <(headers "$program") <(headers "$second") | head -n 20 | sed 's/^/  /' >&2 || true
fi

# Folders of either build, and the home the toolchain ran in, must not be in the program (as
# ANSI or UTF-16 text); the dependencies' folder is the same in both builds, so only this
# check would see it.
zlib_dir=$(cache_value DL_ZLIB_SOURCE_DIR)
for program_file in "$program" "$second"; do
  for folder in "$source_dir" "$build_dir" "$copy" "$again" "$zlib_dir" "$HOME"; do
    if [ -z "$folder" ] || [ "$folder" = / ]; then
      continue
    fi
    if { strings -a "$program_file" && strings -a -e l "$program_file"; } | grep -qF "$folder"; then
      status=1
      echo "$program_file names the folder $folder" >&2
    fi
  done
done

if [ "$status" -eq 0 ]; then
  printf 'reproducible: %s equals its rebuild in another folder' "$program"
  printf ' (%s bytes, sha256 %s; rebuilt in %d s)\n' "$(stat -c %s "$program")" \
    "$(sha256sum <"$program" | cut -d' ' -f1)" $((SECONDS - started))
fi
exit "$status"
