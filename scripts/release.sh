#!/usr/bin/env bash
# Builds the two release programs (x86_64 and i686), checks that each build is reproducible,
# signs them when given a PFX, and prints each program's size and SHA-256 before and after
# signing.
#
#   scripts/release.sh [options] [-DNAME=VALUE...]
#
#   -DNAME=VALUE      a setting for both programs, e.g. -DDL_UPDATE_HOST=update.example.com
#   --preset-x64 P    configure preset of the x86_64 program (x64-release); a preset of your
#   --preset-x86 P    CMakeUserPresets.json that inherits it carries your site's settings
#                     (i686: x86-release)
#   --out DIR         where the programs go (build/release); DIR/unsigned/<arch>/downloader.exe,
#                     DIR/signed/<arch>/downloader.exe and DIR/SHA256SUMS
#   --once            one build per program, without the reproducibility check
#   --pfx FILE, --pass-file FILE, --ca-file FILE, --timestamp URL, --name TEXT
#                     signing, as in scripts/sign_release.sh (the password also comes from
#                     DL_PFX_PASSWORD); without --pfx the programs stay unsigned
#
# CMAKE_BUILD_PARALLEL_LEVEL sets the build's jobs (2 when unset).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

say() { echo "release.sh: $*" >&2; }
presets=(x64-release x86-release)
arches=(x64 x86)
out="$root/build/release"
once=0
defines=()
sign_args=()
pfx=""
while [ $# -gt 0 ]; do
  case "$1" in
    -D?*) defines+=("$1") && shift ;;
    --preset-x64 | --preset-x86 | --out | --pfx | --pass-file | --ca-file | --timestamp | --name)
      [ $# -ge 2 ] || {
        say "$1 needs a value"
        exit 2
      }
      case "$1" in
        --preset-x64) presets[0]=$2 ;;
        --preset-x86) presets[1]=$2 ;;
        --out) out=$(realpath -m "$2") ;;
        *)
          [ "$1" = --pfx ] && pfx=$2
          sign_args+=("$1" "$2")
          ;;
      esac
      shift 2
      ;;
    --once) once=1 && shift ;;
    -h | --help)
      sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"
      exit 0
      ;;
    *)
      say "unknown argument: $1 (see --help)"
      exit 2
      ;;
  esac
done
if [ -n "$pfx" ] && [ ! -r "$pfx" ]; then
  say "cannot read $pfx"
  exit 2
fi

bash scripts/setup.sh
zlib=$(bash scripts/setup.sh --print-zlib-dir)
rm -rf "$out/unsigned" "$out/signed" "$out/SHA256SUMS"
mkdir -p "$out"

for i in 0 1; do
  arch=${arches[$i]}
  build="$out/build-$arch"
  echo "== $arch: preset ${presets[$i]} in $build"
  # The operator's definitions come last so that they win over the preset and ours; a fresh
  # cache keeps a setting of an earlier run from slipping into this one.
  cmake --preset "${presets[$i]}" -B "$build" --fresh -DDL_BUILD_TESTS=OFF \
    -DDL_ZLIB_SOURCE_DIR="$zlib" "${defines[@]}" >"$out/configure-$arch.log" 2>&1 || {
    cat "$out/configure-$arch.log" >&2
    exit 1
  }
  cmake --build "$build" --target downloader --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-2}" \
    >"$out/build-$arch.log" 2>&1 || {
    tail -n 40 "$out/build-$arch.log" >&2
    exit 1
  }
  OBJDUMP=$(sed -n 's/^CMAKE_OBJDUMP:[A-Z]*=//p' "$build/CMakeCache.txt") \
    bash scripts/check_imports.sh "$build/bin/downloader.exe"
  if [ "$once" -eq 0 ]; then
    bash scripts/check_reproducible.sh "$build"
  fi
  mkdir -p "$out/unsigned/$arch"
  cp "$build/bin/downloader.exe" "$out/unsigned/$arch/downloader.exe"
  if [ -n "$pfx" ]; then
    mkdir -p "$out/signed/$arch"
    bash scripts/sign_release.sh "${sign_args[@]}" \
      "$out/unsigned/$arch/downloader.exe" "$out/signed/$arch/downloader.exe"
  fi
done

commit=$(git rev-parse --short=12 HEAD 2>/dev/null || echo unknown)
if [ -n "$(git status --porcelain 2>/dev/null)" ]; then
  commit="$commit with uncommitted changes"
fi
echo "== release of commit $commit in $out"
cd "$out"
# Per program, the unsigned one first, then the same signed.
find unsigned ${pfx:+signed} -name downloader.exe | sort -t/ -k2,2 -k1,1r | xargs sha256sum >SHA256SUMS
while read -r sum file; do
  bytes=$(stat -c %s "$file" | sed ':a;s/\B[0-9]\{3\}\>/,&/;ta')
  printf '%-28s %9s bytes  sha256 %s\n' "$file" "$bytes" "$sum"
done <SHA256SUMS
if [ -z "$pfx" ]; then
  echo "The programs are UNSIGNED (no --pfx given)."
else
  echo "Signed; each signature verifies and is the only difference from the unsigned program."
fi
if [ "$once" -eq 1 ]; then
  echo "Reproducibility NOT checked (--once)."
else
  echo "Reproducible: each unsigned program equals its rebuild from another folder."
fi
