# Shared settings of the project's scripts (sourced, not run).
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
WINE64=/usr/lib/wine/wine64
[ -x "$WINE64" ] || WINE64=$(command -v wine64 || command -v wine)
export WINE64
