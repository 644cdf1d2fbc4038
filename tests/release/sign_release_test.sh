#!/usr/bin/env bash
# Signing a release with a throwaway self-signed code signing certificate: the signature
# verifies against that certificate only, the password never reaches a command line, taking the
# signature off gives back the built program, and a failed signing or verification leaves no
# signed file behind.
#
#   sign_release_test.sh PROGRAM.exe
set -uo pipefail
program=$(realpath "${1:?usage: sign_release_test.sh PROGRAM.exe}")
here=$(cd "$(dirname "$0")" && pwd)
sign="$here/../../scripts/sign_release.sh"
# shellcheck source=../support/harness.sh
. "$here/../support/harness.sh"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/sign-release-test.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1

password='throw away; $pass "word"'
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throwaway release signer" \
  -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=codeSigning \
  -keyout key.pem -out cert.pem 2>openssl.log &&
  openssl pkcs12 -export -inkey key.pem -in cert.pem -out release.pfx \
    -passout file:<(printf '%s' "$password") 2>>openssl.log || {
  cat openssl.log >&2
  echo "FAIL: openssl could not make the throwaway PFX" >&2
  exit 1
}
printf '%s\n' "$password" >password.txt
cp "$program" unsigned.exe || exit 1

# Every command line osslsigncode is given, as ps would show it.
real=$(command -v osslsigncode) || {
  echo "FAIL: osslsigncode is not installed (scripts/setup.sh installs it)" >&2
  exit 1
}
mkdir bin
cat >bin/osslsigncode <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$tmp/argv.log"
exec "$real" "\$@"
EOF
chmod +x bin/osslsigncode
export PATH="$tmp/bin:$PATH"

DL_PFX_PASSWORD=$password bash "$sign" --pfx release.pfx --ca-file cert.pem \
  unsigned.exe env.exe 2>sign.log
check "signing with the password from the environment succeeds" test -s env.exe
bash "$sign" --pfx release.pfx --pass-file password.txt --ca-file cert.pem \
  unsigned.exe file.exe 2>>sign.log
check "signing with the password from a file (a line with its newline) succeeds" test -s file.exe
check "osslsigncode was run" test -s argv.log
check "the password is on no command line" bash -c '! grep -qF "$1" argv.log' _ "$password"

for signed in env.exe file.exe; do
  check "$signed verifies against the throwaway certificate" \
    bash -c 'osslsigncode verify -in "$1" -CAfile cert.pem >/dev/null 2>&1' _ "$signed"
  check "$signed is not the unsigned program" bash -c '! cmp -s unsigned.exe "$1"' _ "$signed"
  osslsigncode remove-signature -in "$signed" -out "removed-$signed" >/dev/null 2>&1
  check "$signed without its signature is the unsigned program byte for byte" \
    cmp "removed-$signed" unsigned.exe
done
check "a program without a signature does not verify" \
  bash -c '! osslsigncode verify -in unsigned.exe -CAfile cert.pem >/dev/null 2>&1'

DL_PFX_PASSWORD='not the password' bash "$sign" --pfx release.pfx --ca-file cert.pem \
  unsigned.exe wrong.exe 2>wrong.log
check "a wrong password fails signing" grep -q 'signing .* failed' wrong.log
check "a wrong password leaves no signed program" test ! -e wrong.exe

DL_PFX_PASSWORD=$password bash "$sign" --pfx release.pfx unsigned.exe untrusted.exe 2>untrusted.log
check "a certificate the system does not trust fails verification" \
  grep -q 'does not verify' untrusted.log
check "an unverified signature leaves no signed program" test ! -e untrusted.exe

[ "$FAILURES" -eq 0 ] || cat sign.log wrong.log untrusted.log >&2
finish_checks "signing: $(stat -c %s unsigned.exe) bytes unsigned, $(stat -c %s env.exe) signed"
