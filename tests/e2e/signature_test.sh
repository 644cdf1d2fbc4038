#!/usr/bin/env bash
# Only the package the site signed is installed. Published wrongly four ways (altered after it
# was signed, though still a good zip; signed by another key; no signature; a signature file
# longer than any signature), the package is downloaded, refused before anything of it is
# unpacked, deleted, reported with the refusal's own result and shown as an installation
# failure; the lobby never starts. Once the site publishes it rightly, the next attempt
# downloads it again and installs.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_begin "$1"
served=$(e2e_served_package)
altered="$E2E_WORK/altered.zip"
cp "$E2E_PACKAGE" "$altered"
"$E2E_PYTHON" -c 'import sys, zipfile
zipfile.ZipFile(sys.argv[1], "a").writestr("lobby_extra.exe", "not the site'"'"'s\n")' "$altered"
other_key="$E2E_WORK/other-key"
rm -rf "$other_key"
bash "$E2E_SOURCE_DIR/../../scripts/site-keys.sh" "$other_key" >/dev/null 2>&1 ||
  e2e_fatal "could not make a second key"

bad=536870912 missing=1073741824
publish_altered() {
  e2e_serve_package "$E2E_PACKAGE"
  cp "$altered" "$served"
}
publish_other_key() {
  e2e_serve_package "$E2E_PACKAGE"
  openssl dgst -sha256 -sign "$other_key/site.key" -out "$served.sig" "$served"
}
publish_unsigned() {
  e2e_serve_package "$E2E_PACKAGE"
  rm -f "$served.sig"
}
publish_long_signature() {
  e2e_serve_package "$E2E_PACKAGE"
  printf '\0' >>"$served.sig"
}

e2e_open_window
first=1
for case in altered:$bad other_key:$bad unsigned:$missing long_signature:$bad; do
  name=${case%%:*} code=${case#*:}
  reports=$(e2e_stats_count 4 "$code")
  "publish_$name"
  if [ "$first" = 1 ]; then
    e2e_click_install
    first=0
  else
    e2e_click "${E2E_NOTICE_OK_XY[@]}"
    e2e_wait_until 5 e2e_notice_gone || e2e_fatal "确定 did not hide the notice"
    e2e_click_install
  fi
  e2e_mouse_away
  e2e_wait_until 60 e2e_notice_visible || e2e_fatal "no failure notice for the $name package"
  sleep 0.5
  e2e_say "$name: $(e2e_shot "refused-$name")"
  check "$name: the site got a failure report (StatistsType=4) with result $code" \
    test "$(e2e_stats_count 4 "$code")" = $((reports + 1))
  check "$name: nothing of the package was unpacked" \
    test -z "$(find "$E2E_INSTALL_DIR" "${E2E_INSTALL_DIR%/}.staging" -mindepth 1 \
      ! -name "$E2E_PACKAGE_FILE*" 2>/dev/null)"
  check "$name: the refused package was deleted" test ! -e "$E2E_INSTALLED_PACKAGE"
  check "$name: the lobby was not started" test ! -e "$E2E_INSTALL_DIR/lobby_ran.txt"
done

e2e_serve_package "$E2E_PACKAGE"
e2e_click "${E2E_NOTICE_OK_XY[@]}"
e2e_wait_until 5 e2e_notice_gone || e2e_fatal "确定 did not hide the notice"
e2e_click_install
e2e_ends 60 "the installation of the signed package"
check "every attempt downloaded the package whole (5)" \
  test "$(e2e_package_requests | grep -c '"-" "-" 200 ')" = 5
e2e_check_installed
e2e_finish
