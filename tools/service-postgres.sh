#!/usr/bin/env bash
# The PostgreSQL server of the test run: a throw-away cluster on 127.0.0.1, owned by the run.
#   service-postgres.sh start   fresh cluster, role and database, the schema, and the data
#                               source for the psqlODBC driver in $ODBCINI
#   service-postgres.sh stop    stop the cluster and delete it
# Everything can be moved aside for runs side by side on one machine:
#   YVEX_PG_PORT (55432), YVEX_PG_DIR (/tmp/yvex-postgres-PORT), YVEX_PG_DSN (YVEX_PG),
#   YVEX_PG_DATABASE, YVEX_PG_USER, YVEX_PG_PASSWORD (yvex), YVEX_ODBCINI (see env.sh).
# PostgreSQL refuses to run as root: as root the cluster runs as the unprivileged user
# "postgres" (YVEX_PG_OS_USER); otherwise as the calling user.
set -euo pipefail
source "$(dirname "$0")/env.sh"
port="${YVEX_PG_PORT:-55432}"
dir="${YVEX_PG_DIR:-/tmp/yvex-postgres-$port}"
dsn="${YVEX_PG_DSN:-YVEX_PG}"
database="${YVEX_PG_DATABASE:-yvex}"
user="${YVEX_PG_USER:-yvex}"
password="${YVEX_PG_PASSWORD:-yvex}"
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -x "$bin/initdb" ] || { echo "service-postgres: PostgreSQL server not installed" >&2; exit 1; }

if [ "$(id -u)" = 0 ]; then
  os_user="${YVEX_PG_OS_USER:-postgres}"
  as_owner() { runuser -u "$os_user" -- "$@"; }
else
  as_owner() { "$@"; }
fi

stop() {
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
}

start() {
  stop
  mkdir -p "$dir"
  if [ "$(id -u)" = 0 ]; then chown "$os_user" "$dir"; fi
  as_owner "$bin/initdb" -D "$dir/data" -U postgres --auth-local=trust \
    --auth-host=scram-sha-256 -E UTF8 --locale=C >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  # Only loopback TCP and a socket inside the cluster's own folder; durability is not
  # wanted from a throw-away test server.
  if ! as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 start \
      -o "-c listen_addresses=127.0.0.1 -p $port -c unix_socket_directories=$dir \
          -c fsync=off -c synchronous_commit=off -c full_page_writes=off" >/dev/null; then
    cat "$dir/server.log" >&2
    echo "service-postgres: the server did not start on 127.0.0.1:$port" >&2
    exit 1
  fi
  as_owner "$bin/psql" -X -q -h "$dir" -p "$port" -U postgres -d postgres -v ON_ERROR_STOP=1 \
    -v user="$user" -v password="$password" -v database="$database" -v sites="${database}_sites" <<'SQL'
CREATE ROLE :"user" LOGIN PASSWORD :'password';
CREATE DATABASE :"database" OWNER :"user" ENCODING 'UTF8' TEMPLATE template0;
CREATE DATABASE :"sites" OWNER :"user" ENCODING 'UTF8' TEMPLATE template0;
SQL
  # Two databases of the same schema: the statement and schema tests work inside transactions
  # they roll back, the site tests save whole sites that stay; apart, neither sees the other's
  # rows.
  for db in "$database" "${database}_sites"; do
    PGPASSWORD="$password" "$YVEX_ROOT/tools/db.sh" apply-postgres \
      -h 127.0.0.1 -p "$port" -U "$user" -d "$db"
  done
  # The control's strings are ANSI (code page 1252 under Wine); the ANSI driver with that
  # client encoding stores them as proper text. bytea columns are long binary data.
  "$YVEX_ROOT/tools/db.sh" set-dsn "$dsn" "Description=YVEX test server (throw-away)" \
    "Driver=PostgreSQL ANSI" "Servername=127.0.0.1" "Port=$port" "Database=$database" \
    "ByteaAsLongVarBinary=1" "ConnSettings=SET client_encoding TO 'WIN1252'"
  "$YVEX_ROOT/tools/db.sh" set-dsn "${dsn}_SITES" "Description=YVEX test server, saved sites" \
    "Driver=PostgreSQL ANSI" "Servername=127.0.0.1" "Port=$port" "Database=${database}_sites" \
    "ByteaAsLongVarBinary=1" "ConnSettings=SET client_encoding TO 'WIN1252'"
  # The embedded default data source is part of every test run too.
  "$YVEX_ROOT/tools/db.sh" init-default
  echo "service-postgres: 127.0.0.1:$port database $database, data source $dsn"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
