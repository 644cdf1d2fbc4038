#!/usr/bin/env bash
# Authenticode-signs one program with the operator's PFX, then proves the result: the signature
# verifies, and taking it off gives back the unsigned bytes, so the signed program is exactly
# the reproducible build plus a signature. The signed file appears only when all of that holds.
#
#   sign_release.sh --pfx FILE [--pass-file FILE] [--ca-file FILE] [--timestamp URL]
#                   [--name TEXT] UNSIGNED.exe SIGNED.exe
#
#   --pfx FILE        PKCS#12 file with the code signing certificate, its chain and its key
#   --pass-file FILE  its password (first line); otherwise DL_PFX_PASSWORD, otherwise none.
#                     The password never appears on a command line.
#   --ca-file FILE    certificates the verification trusts (a private CA); the system's
#                     otherwise
#   --timestamp URL   an RFC 3161 time-stamp server, so that the signature outlives the
#                     certificate (off by default: it needs the network)
#   --name TEXT       the program name Windows shows in its elevation prompt
set -euo pipefail

say() { echo "sign_release.sh: $*" >&2; }
pfx="" pass_file="" ca_file="" timestamp="" name=""
files=()
while [ $# -gt 0 ]; do
  case "$1" in
    --pfx | --pass-file | --ca-file | --timestamp | --name)
      [ $# -ge 2 ] || {
        say "$1 needs a value"
        exit 2
      }
      opt=${1#--}
      printf -v "${opt//-/_}" '%s' "$2"
      shift 2
      ;;
    -h | --help)
      sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"
      exit 0
      ;;
    -*)
      say "unknown option: $1"
      exit 2
      ;;
    *)
      files+=("$1")
      shift
      ;;
  esac
done
if [ ${#files[@]} -ne 2 ] || [ -z "$pfx" ]; then
  say "usage: sign_release.sh --pfx FILE [options] UNSIGNED.exe SIGNED.exe"
  exit 2
fi
unsigned=${files[0]} signed=${files[1]}
for f in "$pfx" "$unsigned" ${pass_file:+"$pass_file"} ${ca_file:+"$ca_file"}; do
  [ -r "$f" ] || {
    say "cannot read $f"
    exit 2
  }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/dl-sign.XXXXXX")
trap 'rm -rf "$work"' EXIT

# osslsigncode reads the password from a file; a pipe keeps one given in the environment off
# the disk as well as off the command line.
with_password() {
  if [ -n "$pass_file" ]; then
    "$@" -readpass "$pass_file"
  else
    "$@" -readpass <(printf '%s' "${DL_PFX_PASSWORD-}")
  fi
}
sign=(osslsigncode sign -pkcs12 "$pfx" -h sha256)
[ -n "$name" ] && sign+=(-n "$name")
[ -n "$timestamp" ] && sign+=(-ts "$timestamp")
if ! with_password "${sign[@]}" -in "$unsigned" -out "$work/signed.exe" >"$work/sign.log" 2>&1; then
  cat "$work/sign.log" >&2
  say "signing $unsigned failed (wrong password, or not a PFX with a key?)"
  exit 1
fi

verify=(osslsigncode verify -in "$work/signed.exe")
[ -n "$ca_file" ] && verify+=(-CAfile "$ca_file")
if ! "${verify[@]}" >"$work/verify.log" 2>&1; then
  cat "$work/verify.log" >&2
  say "the signature on $unsigned does not verify${ca_file:+ against $ca_file}"
  exit 1
fi

if ! osslsigncode remove-signature -in "$work/signed.exe" -out "$work/removed.exe" \
  >"$work/remove.log" 2>&1 || ! cmp -s "$work/removed.exe" "$unsigned"; then
  cat "$work/remove.log" >&2
  say "the signed $signed is more than $unsigned and a signature"
  exit 1
fi

mv "$work/signed.exe" "$signed"
say "signed $signed; the signature verifies${ca_file:+ against $ca_file}"
