#!/bin/bash
# Makes what the CNG check is tried on, fresh for each run: the site's key pair and a second
# one with the site's own tools, a package signed with sign-package.sh, a copy altered after
# signing and another key's signature; then runs the wine test program on them.
#
#   verify_test.sh trust_verify_test.exe SOURCE_DIR [gtest args]
set -euo pipefail
exe=${1:?test program}
root=${2:?source folder}
shift 2
: "${DL_WINE_RUN:?DL_WINE_RUN must name the wine wrapper}"
command -v openssl >/dev/null || { echo "openssl is missing (scripts/setup.sh installs it)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/dl-verify.XXXXXX")
trap 'rm -rf "$work"' EXIT
bash "$root/scripts/site-keys.sh" "$work" >/dev/null
bash "$root/scripts/site-keys.sh" "$work/other" >/dev/null
# Three whole blocks of the download and a part of one.
head -c $((3 * 65536 + 4321)) /dev/urandom >"$work/package.zip"
bash "$root/scripts/sign-package.sh" "$work/package.zip" "$work/site.key" >/dev/null
sha256sum "$work/package.zip" >"$work/package.sha256"
openssl dgst -sha256 -sign "$work/other/site.key" -out "$work/other.sig" "$work/package.zip"
cp "$work/package.zip" "$work/altered.zip"
byte=$(od -An -tu1 -j100000 -N1 "$work/package.zip")
# shellcheck disable=SC2059  # the format is the changed byte in octal
printf "\\$(printf %o $((byte ^ 1)))" | dd of="$work/altered.zip" bs=1 seek=100000 conv=notrunc status=none
DL_TRUST_FILES="Z:${work//\//\\}" "$DL_WINE_RUN" "$exe" "$@"
