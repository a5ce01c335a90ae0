# Shared settings of the project's scripts (sourced, not run). Nothing here may depend on a
# tool that set-up installs: this runs before set-up on a bare machine.
YVEX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${YVEX_CACHE:=${XDG_CACHE_HOME:-$HOME/.cache}/yvex}"
: "${YVEX_BUILD:=$YVEX_ROOT/build}"
export YVEX_ROOT YVEX_CACHE YVEX_BUILD
export WINEPREFIX="${YVEX_WINEPREFIX:-$YVEX_CACHE/wine}"
export WINEARCH=win64
export WINEDEBUG=-all
# unixODBC configuration owned by the project (the embedded default DSN lives here).
export ODBCINI="${YVEX_ODBCINI:-$YVEX_CACHE/odbc/odbc.ini}"
export YVEX_THIRDPARTY="$YVEX_CACHE/thirdparty"
# The test run's printer (tools/service-cups.sh): its scheduler's folder, the socket every CUPS
# client of the run (Wine's printing among them) talks to, and where its PDF files land.
export YVEX_CUPS_DIR="${YVEX_CUPS_DIR:-/tmp/yvex-cups-${YVEX_PG_PORT:-55432}}"
export CUPS_SERVER="$YVEX_CUPS_DIR/cups.sock"
# The test run's web and FTP servers (tools/service-web.sh): HTTP on the port, FTP on the two
# after it, serving $YVEX_WEB_DIR/root. Apart for runs side by side, like the database's port.
export YVEX_WEB_PORT="${YVEX_WEB_PORT:-$(( ${YVEX_PG_PORT:-55432} + 100 ))}"
export YVEX_WEB_DIR="${YVEX_WEB_DIR:-/tmp/yvex-web-$YVEX_WEB_PORT}"
# Wine names Unix files in the locale's encoding: a locale that is not UTF-8 cannot hold file
# names beyond ASCII, which drawings and tests use. C.UTF-8 is built into the C library.
case "$(locale charmap 2>/dev/null)" in UTF-8) ;; *) export LC_ALL=C.UTF-8 ;; esac

# A script that stops on an error says where and why instead of ending silently.
# (Only in scripts that stop on errors: set -e is on when they source this file.)
case $- in
  *e*)
    set -E
    trap 'yvex_rc=$?; echo "${0##*/}: line $LINENO: exit $yvex_rc from: $BASH_COMMAND" >&2' ERR ;;
esac

# The 64-bit Wine loader, looked up when first needed (after set-up has installed Wine).
yvex_wine64() {
  if [ -z "${WINE64:-}" ]; then
    if [ -x /usr/lib/wine/wine64 ]; then WINE64=/usr/lib/wine/wine64
    else WINE64=$(command -v wine64 || command -v wine || true); fi
    [ -n "$WINE64" ] || { echo "${0##*/}: Wine is not installed (run tools/setup.sh)" >&2; return 1; }
    export WINE64
  fi
}
