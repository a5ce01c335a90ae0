#!/usr/bin/env bash
# The site database: schema files and the project's ODBC data sources.
#   db.sh schema sqlite|postgresql      print the path of a dialect's schema file
#   db.sh apply-sqlite FILE             create an SQLite database file with the schema
#   db.sh apply-postgres [PSQL ARGS]    apply the schema to a PostgreSQL database (psql's
#                                       connection arguments and PG* variables)
#   db.sh set-dsn NAME KEY=VALUE...     write (or replace) a data source in $ODBCINI
#   db.sh init-default                  define the embedded default data source "YVEX"
#                                       (SQLite; the control creates the file with the schema
#                                       on first use) unless $ODBCINI already has it
# $ODBCINI (see env.sh, overridable with YVEX_ODBCINI) is the project's own unixODBC user data
# source file; the default database file is $YVEX_SQLITE_DB, next to it unless set.
set -euo pipefail
source "$(dirname "$0")/env.sh"
schema_dir="$YVEX_ROOT/persistence/schema"
default_db="${YVEX_SQLITE_DB:-$(dirname "$ODBCINI")/yvex.sqlite}"

die() { echo "db.sh: $*" >&2; exit 1; }

# Rewrites $ODBCINI with section NAME replaced by the given KEY=VALUE lines, under a lock so
# that scripts running side by side do not lose each other's entries.
set_dsn() {
  local name=$1; shift
  mkdir -p "$(dirname "$ODBCINI")"
  touch "$ODBCINI"
  (
    flock 8
    local tmp="$ODBCINI.tmp.$$"
    awk -v name="[$name]" '
      /^\[/ { skip = ($0 == name) }
      !skip { print }
    ' "$ODBCINI" >"$tmp"
    { echo "[$name]"; for kv in "$@"; do echo "$kv"; done; echo; } >>"$tmp"
    mv "$tmp" "$ODBCINI"
  ) 8>"$ODBCINI.lock"
}

has_dsn() { [ -f "$ODBCINI" ] && grep -qxF "[$1]" "$ODBCINI"; }

case "${1:-}" in
  schema)
    case "${2:-}" in
      sqlite|postgresql) echo "$schema_dir/$2.sql" ;;
      *) die "schema: sqlite or postgresql" ;;
    esac ;;
  apply-sqlite)
    [ -n "${2:-}" ] || die "apply-sqlite FILE"
    if [ -s "$2" ] && [ -n "$(sqlite3 "$2" "select name from sqlite_master where type='table' limit 1")" ]; then
      die "$2 already holds tables"
    fi
    mkdir -p "$(dirname "$2")"
    sqlite3 -bail "$2" <"$schema_dir/sqlite.sql" ;;
  apply-postgres)
    shift
    psql -X -q -v ON_ERROR_STOP=1 "$@" -f "$schema_dir/postgresql.sql" ;;
  set-dsn)
    [ -n "${2:-}" ] || die "set-dsn NAME KEY=VALUE..."
    shift
    set_dsn "$@" ;;
  init-default)
    # The name is the control's default data source name; an empty name in IPersistDB means it.
    has_dsn YVEX || set_dsn YVEX "Description=YVEX embedded default site database" \
      "Driver=SQLite3" "Database=$default_db" "Timeout=10000" "JournalMode=WAL" ;;
  *)
    sed -n '2,13p' "$0" >&2
    exit 2 ;;
esac
