#!/usr/bin/env bash
# Makes the site's package signing key pair (ECDSA P-256) with openssl:
#   DIR/site.key      PRIVATE: signs packages (scripts/sign-package.sh); keep it secret
#   DIR/site.pub.pem  PUBLIC:  the build setting DL_PACKAGE_PUBLIC_KEY
# Refuses to replace an existing pair: programs already given out accept only packages signed
# with the key they were built with.
#
#   scripts/site-keys.sh [DIR=.]
set -euo pipefail

dir=${1:-.}
command -v openssl >/dev/null || {
  echo "site-keys.sh: openssl is missing (apt-get install openssl)" >&2
  exit 1
}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
key="$dir/site.key"
pub="$dir/site.pub.pem"
for file in "$key" "$pub"; do
  if [ -e "$file" ]; then
    echo "site-keys.sh: $file exists; not replacing the site's key (move it away first if you" \
      "really mean to start over: every program built with the old key then needs a new build)" >&2
    exit 1
  fi
done

# Only the owner may read the private key, from the moment it exists.
umask 077
tmp=$(mktemp -d "$dir/.site-keys.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 \
  -pkeyopt ec_param_enc:named_curve -out "$tmp/site.key" 2>/dev/null
openssl ec -in "$tmp/site.key" -pubout -out "$tmp/site.pub.pem" 2>/dev/null
chmod 644 "$tmp/site.pub.pem"
# Hard links fail when the name exists, so a pair made meanwhile is never overwritten.
ln "$tmp/site.key" "$key"
ln "$tmp/site.pub.pem" "$pub"

cat <<TEXT
Made the site's package signing key pair (ECDSA P-256).

  SECRET  $key
          Signs packages: scripts/sign-package.sh PACKAGE $key
          Keep it off the update server and out of source control, and keep a copy offline:
          without it no new package can be signed for the programs already given out.

  PUBLIC  $pub
          Build with it: -DDL_PACKAGE_PUBLIC_KEY=$pub
          (or "DL_PACKAGE_PUBLIC_KEY": "$pub" in CMakeUserPresets.json)
TEXT
