#!/usr/bin/env bash
# The web and FTP servers of the test run (tools/web-servers.py), on 127.0.0.1 only, serving the
# folder $YVEX_WEB_DIR/root: HTTP on $YVEX_WEB_PORT, FTP on the next port, and FTP without
# active mode on the one after.
#   service-web.sh start   fresh folder, servers up
#   service-web.sh stop    servers down, folder deleted
set -euo pipefail
source "$(dirname "$0")/env.sh"
dir="$YVEX_WEB_DIR"

/usr/bin/python3 -c 'import pyftpdlib' 2>/dev/null ||
  { echo "service-web: python3-pyftpdlib is not installed" >&2; exit 1; }

stop() {
  if [ -f "$dir/servers.pid" ]; then
    kill "$(cat "$dir/servers.pid")" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$(cat "$dir/servers.pid")" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -rf "$dir"
}

start() {
  stop
  mkdir -p "$dir/root"
  /usr/bin/python3 "$YVEX_ROOT/tools/web-servers.py" "$YVEX_WEB_PORT" "$dir/root" \
    </dev/null >"$dir/servers.log" 2>&1 &
  echo $! >"$dir/servers.pid"
  for _ in $(seq 100); do
    grep -q ready "$dir/servers.log" 2>/dev/null && break
    kill -0 "$(cat "$dir/servers.pid")" 2>/dev/null || break
    sleep 0.1
  done
  grep -q ready "$dir/servers.log" ||
    { cat "$dir/servers.log" >&2; echo "service-web: the servers did not start" >&2; exit 1; }
  echo "service-web: http://127.0.0.1:$YVEX_WEB_PORT/ and ftp on $((YVEX_WEB_PORT + 1)), $((YVEX_WEB_PORT + 2)), folder $dir/root"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
