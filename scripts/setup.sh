#!/bin/bash
# Prepares a fresh Debian 12 machine for building and testing: cross compilers,
# wine with a virtual X server, local test servers, and the zlib source tree
# whose contrib/minizip provides the unzip layer (not packaged for MinGW).
#
#   scripts/setup.sh                  install what is missing, fetch minizip
#   scripts/setup.sh --print-zlib-dir same, then print the unpacked zlib tree
#
# A second run only checks and is quiet; the download is cached outside the
# source tree in ${DL_DEPS_CACHE:-$HOME/.cache/client-downloader-deps}.
set -euo pipefail

PRINT_ZLIB_DIR=0
for arg in "$@"; do
  case "$arg" in
    --print-zlib-dir) PRINT_ZLIB_DIR=1 ;;
    -h | --help)
      sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *)
      echo "setup.sh: unknown argument: $arg" >&2
      exit 2
      ;;
  esac
done

PACKAGES=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  libz-mingw-w64-dev
  wine64 libwine
  xvfb xauth x11-utils imagemagick xdotool
  nginx-light tinyproxy
  zip unzip p7zip-full libarchive-tools bzip2
  fonts-wqy-microhei
  googletest cmake ninja-build g++ clang-format zlib1g-dev
  clang libclang-rt-14-dev
  python3 python3-pil curl ca-certificates dpkg-dev
  osslsigncode openssl
)

ZLIB_VERSION="1:1.2.13.dfsg-1"
ZLIB_ORIG="zlib_1.2.13.dfsg.orig.tar.bz2"
ZLIB_TREE="zlib-1.2.13.dfsg"
CACHE="${DL_DEPS_CACHE:-$HOME/.cache/client-downloader-deps}"
SRC_LIST="/etc/apt/sources.list.d/client-downloader-src.sources"
DEBIAN_SOURCES="/etc/apt/sources.list.d/debian.sources"

# Everything that talks to the user goes to stderr so that --print-zlib-dir
# leaves exactly one line on stdout.
say() { echo "setup.sh: $*" >&2; }

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
  fi
fi
as_root() {
  if [ "$(id -u)" -ne 0 ] && [ ${#SUDO[@]} -eq 0 ]; then
    say "need root (or sudo) to run: $*"
    exit 1
  fi
  "${SUDO[@]}" "$@"
}

apt_quiet() {
  local log
  log=$(mktemp)
  if ! as_root env DEBIAN_FRONTEND=noninteractive apt-get -q -y \
    -o Dpkg::Use-Pty=0 "$@" >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    say "apt-get $* failed"
    exit 1
  fi
  rm -f "$log"
}

missing_packages() {
  # One dpkg-query for all names keeps a repeated run fast; unknown names
  # print nothing and so count as missing.
  local installed p
  # dpkg-query fails when any name is unknown; under set -e that would end this
  # subshell silently and report nothing missing.
  installed=" $({ dpkg-query -W -f='${Package} ${Status}\n' "${PACKAGES[@]}" 2>/dev/null || true; } |
    awk '$2 == "install" && $4 == "installed" { printf "%s ", $1 }') "
  for p in "${PACKAGES[@]}"; do
    [[ "$installed" == *" $p "* ]] || echo "$p"
  done
}

install_packages() {
  local missing
  mapfile -t missing < <(missing_packages)
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  apt_quiet update
  apt_quiet install --no-install-recommends "${missing[@]}"
}

# Copies every "Types: deb" stanza of the system's deb822 sources as a
# deb-src stanza, so source packages come from the same mirror and keyring.
write_deb_src_list() {
  [ -r "$DEBIAN_SOURCES" ] || {
    say "$DEBIAN_SOURCES not found; cannot derive a deb-src entry"
    exit 1
  }
  awk '
    function flush() {
      if (is_deb && uris != "") {
        if (n++) print ""
        print "Types: deb-src"
        print "URIs: " uris
        print "Suites: " suites
        print "Components: " comps
        if (signed != "") print "Signed-By: " signed
      }
      is_deb = 0; uris = suites = comps = signed = ""
    }
    /^[ \t]*#/ { next }
    /^[ \t]*$/ { flush(); next }
    {
      key = $1; sub(/:$/, "", key)
      val = $0; sub(/^[^:]*:[ \t]*/, "", val)
      if (key == "Types") is_deb = (" " val " " ~ / deb /)
      else if (key == "URIs") uris = val
      else if (key == "Suites") suites = val
      else if (key == "Components") comps = val
      else if (key == "Signed-By") signed = val
    }
    END { flush() }
  ' "$DEBIAN_SOURCES"
}

ensure_deb_src() {
  local wanted
  wanted=$(write_deb_src_list)
  [ -n "$wanted" ] || {
    say "no deb entries in $DEBIAN_SOURCES"
    exit 1
  }
  if [ -f "$SRC_LIST" ] && [ "$(cat "$SRC_LIST")" = "$wanted" ]; then
    return 1 # unchanged
  fi
  printf '%s\n' "$wanted" | as_root tee "$SRC_LIST" >/dev/null
  return 0
}

fetch_zlib_source() {
  [ -f "$CACHE/$ZLIB_TREE/contrib/minizip/unzip.c" ] && return 0
  mkdir -p "$CACHE"
  if [ ! -f "$CACHE/$ZLIB_ORIG" ]; then
    local changed=0
    ensure_deb_src && changed=1
    # Without fresh source indexes apt-get source cannot resolve the version.
    if [ "$changed" -eq 1 ] || ! apt-get -q=2 source --download-only --print-uris \
      "zlib=$ZLIB_VERSION" >/dev/null 2>&1; then
      apt_quiet update
    fi
    say "downloading zlib $ZLIB_VERSION source into $CACHE"
    local log
    log=$(mktemp)
    # apt's _apt download user cannot write into a root-owned home; root
    # downloads directly instead of warning about it.
    local sandbox=()
    [ "$(id -u)" -eq 0 ] && sandbox=(-o APT::Sandbox::User=root)
    if ! (cd "$CACHE" && apt-get -q=2 "${sandbox[@]}" source --download-only \
      "zlib=$ZLIB_VERSION") >"$log" 2>&1; then
      cat "$log" >&2
      rm -f "$log"
      say "apt-get source zlib=$ZLIB_VERSION failed"
      exit 1
    fi
    rm -f "$log"
  fi
  # Unpack into a scratch folder first so an interrupted run never leaves a
  # half tree that the check above would take for a complete one.
  local tmp
  tmp=$(mktemp -d "$CACHE/unpack.XXXXXX")
  tar xjf "$CACHE/$ZLIB_ORIG" -C "$tmp"
  if [ ! -f "$tmp/$ZLIB_TREE/contrib/minizip/unzip.c" ]; then
    rm -rf "$tmp"
    say "$ZLIB_ORIG did not contain $ZLIB_TREE/contrib/minizip/unzip.c"
    exit 1
  fi
  rm -rf "${CACHE:?}/$ZLIB_TREE"
  mv "$tmp/$ZLIB_TREE" "$CACHE/$ZLIB_TREE"
  rm -rf "$tmp"
}

install_packages
fetch_zlib_source

if [ "$PRINT_ZLIB_DIR" -eq 1 ]; then
  echo "$CACHE/$ZLIB_TREE"
fi
