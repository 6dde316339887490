# The 32-bit Wine of scripts/i686-runtime.sh and its own prefix, as the
# win32 test preset of CMakePresets.json sets them. Sourced; kv_i686_env
# exports the variables (scripts/i686-runtime.sh makes what they name).

kv_i686_env() {
  local top
  top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  export QEMU_LD_PREFIX="$top/build/i686-runtime/root"
  export WINEARCH=win32
  export WINELOADER="$QEMU_LD_PREFIX/usr/lib/wine/wine"
  export WINESERVER="$QEMU_LD_PREFIX/usr/lib/wine/wineserver32"
  export WINEPREFIX="$top/build/wine/prefix-i686"
  # No debugger: under emulation winedbg itself dies on qemu's trap -1 and
  # can spin for minutes; a program that crashes simply ends.
  export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv,winemenubuilder.exe,winedbg.exe=d;mscoree,mshtml="
}
