#!/usr/bin/env bash
# Usage: scripts/wine-prefix.sh PREFIX
#
# Makes a quiet, fast Wine prefix at PREFIX for the Windows tests, unless a
# complete one is already there. Complete means the marker file
# PREFIX/.kv-prefix-complete exists; it is written last, so a prefix left
# half-made by an interrupted run is finished on the next one.
#
# - Needs no display: wineboot and reg run headless (checked with Wine 8.0,
#   DISPLAY unset). The programs run later in the prefix need one (Xvfb).
# - Works as root. Never touches ~/.wine: WINEPREFIX is always PREFIX.
# - Audio drivers, the Mono and Gecko installers and the menu builder (which
#   would write into ~/.local and ~/.config) are switched off.
# - A virtual desktop of 1024x768 is set in the registry: without one, hiding
#   or destroying a top-level window on a bare X server blocks for seconds.
#   Not in a 32-bit prefix: the desktop's process dies under emulation
#   (qemu's trap -1), and every window made after that fails.
# - Takes about 12 s and 700 MB; copying a finished prefix is faster.
#
# - Honours WINELOADER and WINESERVER (the 32-bit Wine of
#   scripts/i686-runtime.sh) and WINEARCH=win32.
#
# Prints one line when it made the prefix, nothing when it was already there.
set -euo pipefail

if [[ $# -ne 1 || -z "$1" ]]; then
  echo "usage: $0 PREFIX" >&2
  exit 2
fi

mkdir -p "$1"
prefix="$(cd "$1" && pwd)"
marker="$prefix/.kv-prefix-complete"

# Wine draws the title-bar buttons with its Marlett font, which a new prefix
# does not pick up by itself: without it they show as "0 1 r".
install_marlett() {
  local fonts="$prefix/drive_c/windows/Fonts"
  if [[ -f /usr/share/wine/fonts/marlett.ttf && -d "$fonts" && ! -f "$fonts/marlett.ttf" ]]; then
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
}

if [[ -f "$marker" ]]; then
  install_marlett
  exit 0
fi

# A non-empty folder that is not a Wine prefix is someone's data: leave it.
if [[ -n "$(ls -A "$prefix")" && ! -f "$prefix/system.reg" ]]; then
  echo "$0: $prefix is not empty and not a Wine prefix" >&2
  exit 1
fi

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
# No debugger either: a program that crashes while the prefix is made (as
# Wine's own services now and then do under emulation) ends instead of
# waiting in winedbg for ever.
export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv=d;mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
wine="${WINELOADER:-wine}"
wineserver="${WINESERVER:-wineserver}"
[[ "${WINEARCH:-}" == win32 ]] || unset WINEARCH

# The 32-bit user32 needs zlib1.dll, which the 32-bit Wine does not carry:
# the first boot stops part-way without it, and the second one completes.
# Under emulation a boot now and then hangs: each step has a time limit,
# and the boot is tried again.
boot() {
  if [[ "${WINEARCH:-}" != win32 ]]; then
    "$wine" wineboot -i
    return
  fi
  local try
  for try in 1 2 3; do
    echo "boot $try"
    timeout 180 "$wine" wineboot -i || true
    timeout 60 "$wineserver" -w || "$wineserver" -k || true
    cp /usr/i686-w64-mingw32/lib/zlib1.dll "$prefix/drive_c/windows/system32/"
    timeout 180 "$wine" wineboot -u && return 0
    "$wineserver" -k || true
  done
  return 1
}

log="$prefix/.kv-prefix.log"
start=$SECONDS
{
  boot &&
    if [[ "${WINEARCH:-}" != win32 ]]; then
      "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f &&
        "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f
    fi &&
    # The registry reaches the disk when the server ends; a service that
    # hangs under emulation is ended, and the server with it.
    { timeout 60 "$wineserver" -w || "$wineserver" -k; } &&
    grep -qF '[Software\\Microsoft\\Windows NT\\CurrentVersion]' "$prefix/system.reg"
} >"$log" 2>&1 || {
  echo "$0: making the Wine prefix failed; see $log" >&2
  exit 1
}

if [[ "${WINEARCH:-}" != win32 ]] && ! grep -q '"Default"="1024x768"' "$prefix/user.reg"; then
  echo "$0: the virtual desktop did not reach $prefix/user.reg; see $log" >&2
  exit 1
fi

install_marlett
touch "$marker"
echo "wine prefix ready: $prefix ($((SECONDS - start)) s)"
