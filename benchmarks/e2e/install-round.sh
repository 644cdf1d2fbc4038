# shellcheck shell=bash
# One clicked installation of the product benchmarks (sourced after tests/e2e/lib.sh, with the
# program copied to the run's program folder and the package of TOTAL bytes served): the program
# under /usr/bin/time, followed by sample_process.py for its memory and its CPU at the package's
# last byte.

# install_round_launch TOTAL: starts the program; $timer is the time process, E2E_APP_PID the
# program, $sampler the sampler.
install_round_launch() {
  rm -f "$E2E_WORK/time.txt"
  (cd "$E2E_APP_DIR" && exec /usr/bin/time -f "%e %U %S" -o "$E2E_WORK/time.txt" \
    "$E2E_WINE_RUN" "$E2E_APP_DIR/$E2E_PROGRAM_NAME") >/dev/null 2>&1 &
  timer=$!
  E2E_PIDS+=("$timer")
  e2e_wait_until 10 pgrep -P "$timer" >/dev/null
  E2E_APP_PID=$(pgrep -P "$timer" | head -n 1)
  "$E2E_PYTHON" "$(dirname "${BASH_SOURCE[0]}")/sample_process.py" "$E2E_APP_PID" \
    "$E2E_INSTALLED_PACKAGE" "$1" >"$E2E_WORK/sample.txt" &
  sampler=$!
}

# install_round_finish: after the click, waits for the program's end ($ended) and reads its CPU
# ($user, $sys) and the sampler's figures (PEAK_ANON_KIB, ...).
install_round_finish() {
  while kill -0 "$timer" 2>/dev/null; do sleep 0.05; done
  wait "$timer"
  ended=$(date +%s.%N)
  wait "$sampler"
  # shellcheck disable=SC1091
  . "$E2E_WORK/sample.txt"
  read -r _ user sys <"$E2E_WORK/time.txt"
}
