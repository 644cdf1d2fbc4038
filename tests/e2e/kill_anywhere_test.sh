#!/usr/bin/env bash
# A kill at any instant keeps what was downloaded. The downloader is killed at random moments of
# a throttled download, again and again: every restart asks only for the rest (a range from the
# kept size, on the condition that the object is still the one the kept bytes came from), and
# the kept bytes stay those of the served package. Then the package is replaced on the server
# before the last restart: it arrives whole, and the new one is installed.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_begin "$1" 200k
e2e_serve_package "$E2E_PACKAGE"
served=$(e2e_served_package)
total=$(e2e_size "$served")
seed=${E2E_KILL_SEED:-$(date +%s)}
e2e_say "kill moments drawn from seed $seed (E2E_KILL_SEED=$seed draws them again)"
RANDOM=$seed

path_re=${E2E_PACKAGE_PATH//./\\.}
kills=0 resumed=0 kept=0 wrong=()
while [ "$kills" -lt 22 ] && [ "$kept" -lt $((total * 3 / 4)) ]; do
  seen=$(e2e_package_requests | wc -l)
  e2e_open_window "run $((kills + 1))"
  e2e_click_install
  sleep "$(awk -v r="$RANDOM" 'BEGIN { printf "%.3f", r / 32767 * 1.6 }')"
  kill -9 "$E2E_APP_PID"
  wait "$E2E_APP_PID" 2>/dev/null
  kills=$((kills + 1))
  sleep 0.3
  # The run's first request, if it came that far, continues the kept file or starts it.
  first=$(e2e_package_requests | sed -n "$((seen + 1))p")
  if [ -n "$first" ]; then
    if [ "$kept" -gt 0 ]; then
      want="^GET $path_re \"bytes=${kept}-\" \"[^-\"][^\"]*\" 206 "
    else
      want="^GET $path_re \"-\" \"-\" 200 "
    fi
    if [[ $first =~ $want ]]; then
      [ "$kept" -gt 0 ] && resumed=$((resumed + 1))
    else
      wrong+=("run $kills with $kept bytes kept: $first")
    fi
  fi
  now=$(e2e_package_size)
  [ "$now" -ge "$kept" ] || wrong+=("run $kills shrank the kept file from $kept to $now bytes")
  kept=$now
done
sent=$(e2e_package_requests | awk '{ n += $NF } END { print n + 0 }')
e2e_say "$kills kills, $resumed restarts resumed; the server sent $sent bytes for the $kept kept"
check "at least 20 kills landed before the package was three quarters in ($kills)" \
  test "$kills" -ge 20
check "every restart asked only for the rest of what was kept, on If-Range${wrong:+: ${wrong[*]}}" \
  test "${#wrong[@]}" = 0
check "the kept $kept bytes are the served package's first bytes" \
  cmp -s -n "$kept" "$E2E_INSTALLED_PACKAGE" "$served"

# Another version of the package, published between the last kill and the restart (now from
# the unthrottled server, which answers a range condition alike).
e2e_update_stop
e2e_update_start 0
changed="$E2E_WORK/changed.zip"
cp "$E2E_PACKAGE" "$changed"
"$E2E_PYTHON" -c 'import sys, zipfile
zipfile.ZipFile(sys.argv[1], "a").writestr("changed.txt", "the new version\n")' "$changed"
e2e_serve_package "$changed" "$(($(date +%s) + 60))"
e2e_open_window "restart after the change"
e2e_click_install
e2e_ends 90 "the restart after the change"
check "the restart's conditional range was answered with the whole new package (200)" \
  grep -qE "^GET $path_re \"bytes=${kept}-\" \"[^-\"][^\"]*\" 200 $(e2e_size "$changed")\$" \
  "$E2E_SERVERS/update-access.log"
E2E_PACKAGE=$changed
e2e_check_installed "the new version"
e2e_finish
