#!/usr/bin/env bash
# Resume across runs: the downloader is killed part-way through the download; the next run
# asks the update server only for the rest (a Range request from the size the file had) and
# ends with a package identical to the served one.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_begin "$1" 800k
e2e_serve_package "$E2E_PACKAGE"
total=$(e2e_size "$(e2e_served_package)")

e2e_kill_and_resume "$total"
check "no whole download after the kill" test "$(e2e_whole_downloads)" = 0
e2e_check_installed
e2e_finish
