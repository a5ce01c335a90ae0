#!/usr/bin/env bash
# Writes the data source file of the database tests: the default data source "YVEX" over a new,
# empty SQLite file (the control gives it the schema on first connection, which the tests see),
# and the test server's PostgreSQL data source as tools/service-postgres.sh defined it in the
# project's file. Without it (no test server started) the
# database tests do not run and count as failed.
set -euo pipefail
out=$1
source "$(dirname "$0")/../../tools/env.sh"
pg_dsn="${YVEX_PG_DSN:-YVEX_PG}"
dir=$(dirname "$out")
mkdir -p "$dir"
rm -f "$dir/default.sqlite" "$dir/default.sqlite-wal" "$dir/default.sqlite-shm" "$dir"/fresh-*.sqlite*
rm -f "$dir/sites.sqlite" "$dir/sites.sqlite-wal" "$dir/sites.sqlite-shm"
# The site tests save whole sites into databases of their own (YVEX_SITES, and the test server's
# second database), apart from the tests that roll their work back.
{
  printf '[YVEX]\nDriver=SQLite3\nDatabase=%s\nTimeout=20000\nJournalMode=WAL\n\n' "$dir/default.sqlite"
  printf '[YVEX_SITES]\nDriver=SQLite3\nDatabase=%s\nTimeout=20000\nJournalMode=WAL\n\n' "$dir/sites.sqlite"
  if [ -f "$ODBCINI" ]; then
    awk -v name="[$pg_dsn]" -v sites="[${pg_dsn}_SITES]" \
      '/^\[/ { on = ($0 == name || $0 == sites) } on { print }' "$ODBCINI"
  fi
} >"$out"
if ! grep -qxF "[$pg_dsn]" "$out"; then
  echo "no data source $pg_dsn in $ODBCINI: start tools/service-postgres.sh first" >&2
  exit 1
fi
