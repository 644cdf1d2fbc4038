# shellcheck shell=bash
# shellcheck disable=SC2034  # the values are for the scripts that source this file
# Shell helpers shared by the wine bench, the test servers, the end-to-end scenarios and the
# script tests (sourced): the bench folder argument, our processes told from anybody else's
# (pids get reused), nginx templates, HTTP polling and counted checks.

# harness_bench_dir DIR: BENCH is DIR made absolute (and made); without DIR, a usage error.
harness_bench_dir() {
  [ -n "${1:-}" ] || {
    echo "usage: $(basename "$0") BENCH_DIR ..." >&2
    exit 2
  }
  mkdir -p "$1"
  BENCH=$(cd "$1" && pwd)
}

# True when PID is alive and its command line contains every further argument.
pid_runs() {
  local pid=$1 cmdline needle
  shift
  case "$pid" in '' | *[!0-9]*) return 1 ;; esac
  cmdline=$(tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline") || return 1
  for needle in "$@"; do
    case "$cmdline" in *"$needle"*) ;; *) return 1 ;; esac
  done
}

# stop_pid PID NEEDLE...: stops PID if it still runs what the needles say: TERM, KILL after 5 s.
stop_pid() {
  local pid=$1 i
  shift
  pid_runs "$pid" "$@" || return 0
  kill "$pid" 2>/dev/null
  for i in $(seq 70); do
    pid_runs "$pid" "$@" || return 0
    [ "$i" = 50 ] && kill -9 "$pid" 2>/dev/null
    sleep 0.1
  done
}

# As root nginx would drop to "nobody", which may not read a build tree under a private
# folder; without root the directive would only earn a warning.
nginx_user_line() {
  if [ "$(id -u)" -eq 0 ]; then
    echo "user $(id -un) $(id -gn);"
  else
    echo "# not root: nginx runs as $(id -un)"
  fi
}

# render TEMPLATE OUT KEY=VALUE...: TEMPLATE with every @KEY@ replaced, written to OUT.
render() {
  local text pair out=$2
  text=$(<"$1")
  shift 2
  for pair in "$@"; do
    text=${text//@${pair%%=*}@/${pair#*=}}
  done
  printf '%s\n' "$text" >"$out"
}

# http_code URL: the status the server answers, 000 when none does.
http_code() {
  curl -s -o /dev/null -w '%{http_code}' --max-time 2 "$1" 2>/dev/null || true
}

# http_answers URL [CODE]: polls for 10 s until URL answers (with CODE, when given).
http_answers() {
  local code
  for _ in $(seq 100); do
    code=$(http_code "$1")
    case "$code" in 000 | "") ;; "${2:-$code}") return 0 ;; esac
    sleep 0.1
  done
  return 1
}

# Counted checks, for scripts that go on after a failed check and fail at the end.
FAILURES=0
fail() {
  echo "FAIL: $*" >&2
  FAILURES=$((FAILURES + 1))
}

# check "what must hold" command...: counts a failure when the command fails.
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what" >&2
  else
    fail "$what"
  fi
}

# finish_checks MESSAGE: exits 1 when a check failed, else says MESSAGE and exits 0.
finish_checks() {
  [ "$FAILURES" -eq 0 ] || exit 1
  echo "$1"
  exit 0
}
