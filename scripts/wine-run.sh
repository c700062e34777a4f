#!/bin/sh
# Runs a 64-bit Windows program under Wine, quietly and in a Wine prefix of
# our own (QUORVEX_WINEPREFIX, created on first use), never ~/.wine.
#   scripts/wine-run.sh program.exe [arguments...]
set -eu
WINEPREFIX=${QUORVEX_WINEPREFIX:-${TMPDIR:-/tmp}/quorvex-wine-$(id -u)}
export WINEPREFIX
export WINEDEBUG=-all
# No Mono or Gecko installer prompts while the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1 || true
fi
exec "$wine" "$@"
