#!/bin/bash
# Makes the certificates of the local TLS servers in DIR with openssl: a test authority (ca.pem,
# which a test prefix trusts through trust_ca.exe), server.pem for localhost and 127.0.0.1,
# wrong-name.pem from the same authority for another name, and untrusted.pem for localhost
# from a second authority nobody trusts; each with its .key. Nothing of it is ever committed.
# A set that is still valid for a day is kept, so a prefix trusts one authority, not one a run.
#
#   tests/support/make_tls.sh DIR
set -euo pipefail
DIR=${1:?usage: make_tls.sh DIR}
mkdir -p "$DIR"
if openssl x509 -checkend 86400 -noout -in "$DIR/untrusted.pem" >/dev/null 2>&1; then
  exit 0
fi
work=$(mktemp -d "$DIR/.make.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

authority() { # NAME
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 3650 \
    -subj "/CN=Downloader test authority $1" -addext basicConstraints=critical,CA:TRUE \
    -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
}
server() { # AUTHORITY NAME SUBJECT_ALT_NAMES
  openssl req -new -newkey rsa:2048 -nodes -keyout "$2.key" -out "$2.csr" -subj "/CN=$2" \
    2>/dev/null
  printf '%s\n' basicConstraints=CA:FALSE keyUsage=critical,digitalSignature,keyEncipherment \
    extendedKeyUsage=serverAuth "subjectAltName=$3" >"$2.ext"
  openssl x509 -req -in "$2.csr" -CA "$1.pem" -CAkey "$1.key" -CAcreateserial -days 825 \
    -extfile "$2.ext" -out "$2.pem" 2>/dev/null
}
authority ca
authority other-ca
# The platform matches the name it was given against the DNS names; wine ignores IP entries.
server ca server "DNS:localhost,IP:127.0.0.1"
server ca wrong-name "DNS:wrong-name.example"
server other-ca untrusted "DNS:localhost,IP:127.0.0.1"
# untrusted.pem goes last: its presence (checked above) says the whole set is in place.
rm -f "$DIR"/*.pem "$DIR"/*.key
mv ca.pem ca.key server.pem server.key wrong-name.pem wrong-name.key untrusted.key untrusted.pem \
  "$DIR/"
