#!/usr/bin/env bash
# Starts and stops the stand-in server (server.py) on 127.0.0.1:80 and,
# over TLS, on 127.0.0.1:443.
#   run.sh start [--state-dir DIR] [-- SERVER ARGUMENTS...]
#   run.sh stop  [--state-dir DIR]
# The state folder (default: build/standin of the repository) holds the
# server's pid file and its log. "start" returns once the server answers on
# the port; while another stand-in holds the port (another test run), the
# new server waits for it (server.py takes a lock first), and so does start.
# "stop" ends the server of its own state folder only.
# QUILLORY_TEST_AUTHORITY names the folder of the test authority and the
# server certificates (default: build/test-authority of the repository);
# certificates.py makes them there when they are missing.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
python=/usr/bin/python3
wait_seconds="${QUILLORY_STANDIN_WAIT:-1500}"

command="${1:-}"
[ $# -gt 0 ] && shift
state="$root/build/standin"
if [ "${1:-}" = "--state-dir" ]; then
  state="$2"
  shift 2
fi
[ "${1:-}" = "--" ] && shift
pid_file="$state/server.pid"

# The pid of this state folder's server while it runs, else nothing.
running_pid() {
  local pid
  [ -f "$pid_file" ] || return 0
  pid="$(cat "$pid_file" 2>/dev/null || true)"
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && grep -q "server.py" "/proc/$pid/cmdline" 2>/dev/null; then
    echo "$pid"
  fi
}

ping_pid() {
  "$python" - <<'PY' 2>/dev/null || true
import urllib.request
try:
    with urllib.request.urlopen("http://127.0.0.1/_control/ping", timeout=2) as answer:
        print(answer.read().decode().split()[-1])
except Exception:
    pass
PY
}

stop() {
  local pid
  pid="$(running_pid)"
  if [ -n "$pid" ]; then
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -f "$pid_file"
}

start() {
  mkdir -p "$state"
  stop  # a server left behind by an earlier run of this folder
  local certificates="${QUILLORY_TEST_AUTHORITY:-$root/build/test-authority}"
  "$python" -B "$here/certificates.py" "$certificates"
  setsid "$python" -B "$here/server.py" --pid-file "$pid_file" --log "$state/server.log" \
    --certificates "$certificates" "$@" \
    >"$state/server.out" 2>&1 </dev/null &
  local launched=$! deadline=$((SECONDS + wait_seconds)) announced=0
  while [ "$SECONDS" -lt "$deadline" ]; do
    local pid
    pid="$(running_pid)"
    if [ -z "$pid" ] && ! kill -0 "$launched" 2>/dev/null; then
      echo "the stand-in server ended at start:" >&2
      tail -n 20 "$state/server.out" >&2
      return 1
    fi
    if [ -n "$pid" ] && [ "$(ping_pid)" = "$pid" ]; then
      echo "stand-in server $pid answers on 127.0.0.1:80 and 443"
      return 0
    fi
    if [ "$announced" -eq 0 ] && [ $((SECONDS % 10)) -eq 9 ]; then
      echo "waiting for the port (another stand-in may hold it)..."
      announced=1
    fi
    sleep 0.2
  done
  echo "the stand-in server did not answer within $wait_seconds s" >&2
  stop
  return 1
}

case "$command" in
  start) start "$@" ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop [--state-dir DIR] [-- SERVER ARGUMENTS...]" >&2; exit 2 ;;
esac
