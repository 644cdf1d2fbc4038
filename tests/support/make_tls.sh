#!/bin/bash
# Makes the local TLS servers' certificates in DIR with openssl (never committed): a test
# authority ca.pem, which a prefix trusts through trust_ca.exe; server.pem for localhost and
# 127.0.0.1 and wrong-name.pem for another name, both from it; untrusted.pem for localhost from
# an authority nobody trusts; each with its .key. A set valid for another day is kept, so a
# prefix trusts one authority, not one a run.
#
#   tests/support/make_tls.sh DIR
set -euo pipefail
DIR=${1:?usage: make_tls.sh DIR}
mkdir -p "$DIR"
openssl x509 -checkend 86400 -noout -in "$DIR/untrusted.pem" >/dev/null 2>&1 && exit 0
work=$(mktemp -d "$DIR/.make.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# certificate NAME [AUTHORITY SUBJECT_ALT_NAMES]: an authority, or a server certificate from one.
certificate() {
  local kind=(-addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign)
  [ $# -gt 1 ] && kind=(-CA "$2.pem" -CAkey "$2.key" -addext basicConstraints=critical,CA:FALSE
    -addext extendedKeyUsage=serverAuth -addext "subjectAltName=$3")
  openssl req -x509 -newkey rsa:2048 -nodes -days 825 -subj "/CN=Downloader test $1" \
    -keyout "$1.key" -out "$1.pem" "${kind[@]}" 2>/dev/null
}
certificate ca
certificate other-ca
# The name is matched against the DNS entries: wine ignores IP entries.
certificate server ca "DNS:localhost,IP:127.0.0.1"
certificate wrong-name ca "DNS:wrong-name.example"
certificate untrusted other-ca "DNS:localhost,IP:127.0.0.1"
# untrusted.pem goes last: its presence (checked above) says the whole set is in place.
rm -f "$DIR"/*.pem "$DIR"/*.key
mv ca.* server.* wrong-name.* untrusted.key untrusted.pem "$DIR/"
