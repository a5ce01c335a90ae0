#!/usr/bin/env bash
# Creates the project's own Wine prefix, headless and idempotently.
set -euo pipefail
source "$(dirname "$0")/env.sh"
yvex_wine64
stamp="$WINEPREFIX/.yvex-prefix-v1"
[ -e "$stamp" ] && exit 0
mkdir -p "$WINEPREFIX"
# No Mono or Gecko prompts while the prefix is made.
WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE64" wineboot --init </dev/null >/dev/null 2>&1
# Let the first boot finish writing the registry before it is changed.
wineserver -w
# A registry write right after the prefix is made is sometimes refused: try again.
reg() {
  local out i
  for i in 1 2 3 4 5; do
    out=$("$WINE64" reg add "$@" /f </dev/null 2>&1) && return 0
    sleep 2
  done
  echo "wineprefix: reg add $1 failed: $out" >&2
  return 1
}
# Null display driver: windows, DCs and dialogs work without an X display.
reg 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null
# A crash ends the process instead of waiting in the debugger.
reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 0
reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d ''
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
wineserver -w
touch "$stamp"
echo "wine prefix ready: $WINEPREFIX"
