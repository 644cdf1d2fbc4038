#!/bin/bash
# The site operator's tools and the build's key check, natively on keys openssl makes for this
# run: site-keys.sh makes a pair and never replaces one, sign-package.sh writes a signature
# that verifies and refuses a key that does not match, and the build takes exactly the public
# key file and stops on any other with its reason.
#
#   site_tools_test.sh SOURCE_DIR
set -uo pipefail
root=${1:?source folder}
# shellcheck source=../support/harness.sh
source "$root/tests/support/harness.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/dl-site-tools.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

bash "$root/scripts/site-keys.sh" keys >made.txt 2>&1
check "site-keys.sh makes the pair" test -s keys/site.key -a -s keys/site.pub.pem
check "only the owner may read the private key" test "$(stat -c %a keys/site.key)" = 600
check "it names the secret file and the build setting" \
  grep -qE "SECRET +$work/keys/site.key" made.txt
check "it names the public file for DL_PACKAGE_PUBLIC_KEY" \
  grep -q "DL_PACKAGE_PUBLIC_KEY=$work/keys/site.pub.pem" made.txt
before=$(cat keys/site.key keys/site.pub.pem | sha256sum)
check "a second run refuses" bash -c "! bash '$root/scripts/site-keys.sh' keys 2>/dev/null"
check "and leaves the pair as it was" test "$(cat keys/site.key keys/site.pub.pem | sha256sum)" = "$before"
bash "$root/scripts/site-keys.sh" other >/dev/null

head -c 300000 /dev/urandom >package.zip
bash "$root/scripts/sign-package.sh" package.zip keys/site.key >signed.txt 2>&1
verified=$(openssl dgst -sha256 -verify keys/site.pub.pem -signature package.zip.sig package.zip)
check "sign-package.sh writes a signature that verifies with the public key" \
  test "$verified" = "Verified OK"
check "it prints the package's size" grep -q "300000 bytes" signed.txt
check "it prints the package's SHA-256" grep -q "$(sha256sum package.zip | cut -d' ' -f1)" signed.txt
mkdir mixed && cp other/site.key keys/site.pub.pem mixed/
rm package.zip.sig
check "a key that is not the build's is refused, nothing written" \
  bash -c "! bash '$root/scripts/sign-package.sh' package.zip mixed/site.key 2>/dev/null && test ! -e package.zip.sig"

# What a configuration with DL_PACKAGE_PUBLIC_KEY=FILE compiles in, or its error.
configure_key() {
  cmake -DDL_PACKAGE_PUBLIC_KEY="$1" -DDL_KEY_TOOL_DIR="$work/tool" \
    -P "$root/cmake/package_key.cmake" 2>&1
}
point=$(openssl ec -pubin -in keys/site.pub.pem -outform DER 2>/dev/null | tail -c 64 |
  od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//; s/ /,0x/g; s/^/0x/')
check "the build compiles in the public key's point" test "$(configure_key "$work/keys/site.pub.pem")" = "1 $point"
check "no key: nothing compiled in" test "$(configure_key "")" = "0 "

openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-384 -out p384.key 2>/dev/null
openssl ec -in p384.key -pubout -out p384.pem 2>/dev/null
openssl ec -pubin -in keys/site.pub.pem -conv_form compressed -pubout -out compressed.pem 2>/dev/null
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 2>/dev/null |
  openssl pkey -pubout -out rsa.pem
{ cat keys/site.pub.pem && echo junk; } >junk.pem
while IFS='|' read -r file reason; do
  out=$(configure_key "$work/$file" | tr -s ' \n' '  ')  # CMake wraps its messages
  check "$file stops the build: $reason" bash -c \
    '[[ $1 == *"DL_PACKAGE_PUBLIC_KEY"*"$2"* ]]' _ "$out" "$reason"
done <<'CASES'
p384.pem|another curve than P-256
compressed.pem|compressed
rsa.pem|not an elliptic-curve key
keys/site.key|not one PEM block
junk.pem|not one PEM block
missing.pem|does not exist
CASES
finish_checks "site tools: every check passed"
