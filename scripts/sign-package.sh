#!/usr/bin/env bash
# Signs the site's package: writes PACKAGE.sig (the DER ECDSA signature of its SHA-256 that
# the downloader checks), verifies it back with the public key, and prints what to publish.
# The public key is site.pub.pem beside KEY when it is there (the one the program was built
# with), else the one KEY holds.
#
#   scripts/sign-package.sh PACKAGE [KEY=site.key]
set -euo pipefail

package=${1:?usage: sign-package.sh PACKAGE [KEY=site.key]}
key=${2:-site.key}
command -v openssl >/dev/null || {
  echo "sign-package.sh: openssl is missing (apt-get install openssl)" >&2
  exit 1
}
[ -f "$package" ] || { echo "sign-package.sh: no package $package" >&2 && exit 1; }
[ -f "$key" ] || { echo "sign-package.sh: no private key $key (scripts/site-keys.sh makes one)" >&2 && exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
pub="$(dirname "$key")/site.pub.pem"
if [ -f "$pub" ]; then
  cp "$pub" "$tmp/public.pem"
else
  pub="the private key's own"
  openssl pkey -in "$key" -pubout -out "$tmp/public.pem"
fi
if ! openssl pkey -in "$key" -noout -text 2>/dev/null | grep -q "NIST CURVE: P-256"; then
  echo "sign-package.sh: $key is not an ECDSA P-256 private key (scripts/site-keys.sh makes one)" >&2
  exit 1
fi

openssl dgst -sha256 -sign "$key" -out "$tmp/package.sig" "$package"
if ! openssl dgst -sha256 -verify "$tmp/public.pem" -signature "$tmp/package.sig" "$package" \
  >/dev/null; then
  echo "sign-package.sh: the signature does not verify with $pub public key: $key is not" \
    "the key the program was built with. Nothing written." >&2
  exit 1
fi
cp "$tmp/package.sig" "$package.sig"

echo "Signed $package"
echo "  signature  $package.sig ($(stat -c %s "$package.sig") bytes), verified with $pub public key"
echo "  size       $(stat -c %s "$package") bytes"
echo "  SHA-256    $(sha256sum "$package" | cut -d' ' -f1)"
echo "Publish both files side by side on the update server (same folder, the .sig name is the package's plus .sig)."
