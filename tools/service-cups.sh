#!/usr/bin/env bash
# The printer of the test run: a CUPS scheduler of the run's own, reached only through a socket
# in its folder, with one queue "YVEX_PDF" (the default printer) that turns every job into a PDF
# file in $YVEX_CUPS_DIR/pdf (one file a job, "<title>-job_<n>.pdf").
#   service-cups.sh start   fresh scheduler and queue
#   service-cups.sh stop    stop the scheduler and delete its folder
# Wine's processes reach it through CUPS_SERVER (set by env.sh to the socket); without the
# service they find no printer at all.
set -euo pipefail
source "$(dirname "$0")/env.sh"
dir="$YVEX_CUPS_DIR"
queue=YVEX_PDF
# The PDF backend reads a configuration of its own per backend name, in the system's folder.
backend_name="yvex$(printf '%s' "$dir" | cksum | cut -d' ' -f1)"
backend_conf="/etc/cups/cups-pdf-$backend_name.conf"

[ -x /usr/sbin/cupsd ] && [ -x /usr/lib/cups/backend/cups-pdf ] ||
  { echo "service-cups: cups and printer-driver-cups-pdf are not installed" >&2; exit 1; }

stop() {
  if [ -f "$dir/cupsd.pid" ]; then
    kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -f "$backend_conf"
  rm -rf "$dir"
}

start() {
  stop
  mkdir -p "$dir"/{etc/ppd,spool/tmp,cache,state,log,pdf,pdfspool}
  # Filters run as the unprivileged user "lp": they must reach the spool.
  chmod 0755 "$dir" "$dir"/*
  chmod 1777 "$dir/spool/tmp" "$dir/pdfspool" "$dir/pdf"
  cat >"$dir/etc/cupsd.conf" <<EOF
Listen $dir/cups.sock
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  cat >"$dir/etc/cups-files.conf" <<EOF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
FileDevice No
Sandboxing Relaxed
EOF
  cat >"$backend_conf" <<EOF
Out $dir/pdf
Spool $dir/pdfspool
AnonDirName $dir/pdf
Grp root
Log $dir/log
EOF
  # In the foreground of a process of its own, which stop ends by its id.
  setsid /usr/sbin/cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" </dev/null >/dev/null 2>&1 &
  echo $! >"$dir/cupsd.pid"
  for _ in $(seq 100); do [ -S "$dir/cups.sock" ] && break; sleep 0.1; done
  [ -S "$dir/cups.sock" ] || { cat "$dir/log/error_log" >&2 2>/dev/null; echo "service-cups: the scheduler did not start" >&2; exit 1; }
  lpadmin -p "$queue" -v "cups-pdf:/$backend_name" -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -E
  lpadmin -d "$queue"
  lpstat -p "$queue" >/dev/null
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
