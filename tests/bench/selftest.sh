#!/bin/bash
# Checks the wine bench itself with bench_probe.exe, so a broken bench shows up as one clear
# failure instead of many puzzling ones.
#
#   DL_WINE_RUN=.../wine-run.sh DL_BENCH_DIR=.../bench selftest.sh bench_probe.exe
set -uo pipefail
. "$(dirname "$0")/../support/harness.sh"
PROBE=${1:?usage: selftest.sh PATH/TO/bench_probe.exe}
: "${DL_WINE_RUN:?DL_WINE_RUN must name the wine wrapper}" "${DL_BENCH_DIR:?must name the bench}"
DISPLAY=$(cat "$DL_BENCH_DIR/display") || exit 1
export DISPLAY

for code in 0 3 255; do
  "$DL_WINE_RUN" "$PROBE" exit "$code"
  rc=$?
  [ "$rc" -eq "$code" ] || fail "exit code $code came back as $rc"
done

# A crash must end the program, not wait for a debugger or a dialog.
started=$SECONDS
timeout 20 "$DL_WINE_RUN" "$PROBE" crash >/dev/null 2>&1
rc=$?
if [ "$rc" -eq 124 ]; then
  fail "a crashing program hung (killed after 20 s)"
elif [ "$rc" -eq 0 ]; then
  fail "a crashing program returned 0"
elif [ $((SECONDS - started)) -gt 10 ]; then
  fail "a crashing program took $((SECONDS - started)) s to end"
fi

"$DL_WINE_RUN" "$PROBE" cjk-font || fail "CJK font replacement not in effect (probe said $?)"

desktop=$(readlink -f "$DL_BENCH_DIR"/wineprefix/drive_c/users/"$(id -un)"/Desktop)
[ "$desktop" = "$(readlink -f "$DL_BENCH_DIR/home/Desktop")" ] ||
  fail "the prefix Desktop is '$desktop', not the bench home's Desktop"

# The window must reach the virtual display: find it, photograph the screen and look for the
# probe's red inside the window.
"$DL_WINE_RUN" "$PROBE" window 2500 &
probe_pid=$!
for _ in $(seq 100); do
  wid=$(xdotool search --onlyvisible --name '^dl bench probe$' 2>/dev/null | head -n 1)
  [ -n "$wid" ] && break
  sleep 0.1
done
shot="$DL_BENCH_DIR/selftest-screen.png"
if [ -z "$wid" ]; then
  fail "the probe window never appeared on $DISPLAY"
elif sleep 0.5 && ! import -window root "$shot" 2>/dev/null; then # after the first WM_PAINT
  fail "import could not photograph $DISPLAY"
else
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  pixel=$(convert "$shot" -crop "1x1+$((X + WIDTH / 2))+$((Y + HEIGHT / 2))" -depth 8 txt:- |
    tail -n 1)
  case "$pixel" in *"#FF0000"*) ;; *) fail "window centre is not the probe's red: $pixel" ;; esac
fi
wait "$probe_pid"
rc=$?
[ "$rc" -eq 7 ] || fail "the window probe ended with $rc, not 7"
finish_checks "wine bench OK"
