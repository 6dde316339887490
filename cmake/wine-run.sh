#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix, never ~/.wine.
# WINELOADER, when set, is the Wine that runs it (the 32-bit one of
# scripts/i686-runtime.sh for the i686 build).
set -euo pipefail
: "${WINEPREFIX:?set WINEPREFIX to the project Wine prefix, made by scripts/wine-prefix.sh}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winealsa.drv,winepulse.drv,winemenubuilder.exe=d;mscoree,mshtml=}"
exec "${WINELOADER:-wine}" "$@"
