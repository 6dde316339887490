#!/usr/bin/env bash
# Usage: scripts/i686-runtime.sh
#
# Makes the 32-bit Wine that runs the i686 build on this machine, whose
# kernel cannot start 32-bit programs: Debian's own 32-bit Wine loader under
# qemu-i386-static, from a private folder of unpacked :i386 packages. The
# system's 64-bit Wine is left as it is: nothing is installed into it.
#
# - ROOT, build/i686-runtime/root, holds the unpacked packages; it is
#   complete once ROOT/.kv-runtime-complete exists, written last, so a run
#   that was interrupted is finished by the next one.
# - Then makes the Wine prefix of the 32-bit tests, build/wine/prefix-i686
#   (scripts/wine-prefix.sh).
# - Registers qemu-i386 with binfmt_misc when no entry is there (the entry
#   is lost at reboot), with the F flag: the kernel opens the interpreter
#   at once, so the entry works in every mount namespace.
# - Adds the i386 architecture to dpkg's list (only to download packages).
# - Takes about 2 minutes and 700 MB the first time, nothing afterwards.
# - Installs what is missing with apt-get (qemu-user-static, ...).
#
# The programs then run with QEMU_LD_PREFIX=ROOT, WINEARCH=win32,
# WINELOADER=ROOT/usr/lib/wine/wine, WINESERVER=ROOT/usr/lib/wine/wineserver32
# and that prefix: scripts/i686-env.sh and the win32 test preset set them.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
kv_install_deps
source scripts/i686-env.sh
kv_i686_env
root="$QEMU_LD_PREFIX"
mkdir -p "$root"
marker="$root/.kv-runtime-complete"
sudo=()
[[ "$(id -u)" -ne 0 ]] && sudo=(sudo)

register_qemu() {
  local binfmt=/proc/sys/fs/binfmt_misc
  [[ -e "$binfmt/qemu-i386" ]] && return 0
  [[ -e "$binfmt/register" ]] || "${sudo[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
  local qemu
  qemu="$(command -v qemu-i386-static)" || {
    echo "$0: qemu-i386-static is missing (scripts/deps.sh installs qemu-user-static)" >&2
    exit 1
  }
  # A 32-bit little-endian ELF executable or shared object for the i386.
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":qemu-i386:M::$magic:$mask:$qemu:F" | "${sudo[@]}" tee "$binfmt/register" >/dev/null
}
register_qemu

if [[ -f "$marker" ]]; then
  exec scripts/wine-prefix.sh "$WINEPREFIX"
fi

# A folder that this script did not begin is someone's data: leave it.
if [[ -n "$(ls -A "$root")" && ! -f "$root/.kv-runtime-started" ]]; then
  echo "$0: $root is not empty and was not made by this script" >&2
  exit 1
fi
touch "$root/.kv-runtime-started"
start=$SECONDS
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
  "${sudo[@]}" apt-get update -qq
fi
# What installing wine32:i386 would bring, taken from apt's plan, and the X
# client libraries that Wine loads by name.
packages=()
mapfile -t packages < <(LC_ALL=C apt-get install -s --no-install-recommends wine32:i386 wine32-preloader:i386 |
  awk '$1 == "Inst" { print $2 }' | grep ':i386$')
if [[ ${#packages[@]} -eq 0 ]]; then
  "${sudo[@]}" apt-get update -qq
  mapfile -t packages < <(LC_ALL=C apt-get install -s --no-install-recommends wine32:i386 wine32-preloader:i386 |
    awk '$1 == "Inst" { print $2 }' | grep ':i386$')
fi
for library in libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1; do
  packages+=("$library:i386")
done
debs="$(dirname "$root")/debs"
mkdir -p "$debs"
(cd "$debs" && apt-get download -q=2 -o APT::Sandbox::User="$(id -un)" $(printf '%s\n' "${packages[@]}" | sort -u))
# Unpacked anew: a run that stopped part-way may have left anything.
rm -rf "$root"
mkdir -p "$root"
touch "$root/.kv-runtime-started"
for deb in "$debs"/*.deb; do
  dpkg-deb -x "$deb" "$root"
done
# /lib is /usr/lib on Debian 12, and the i386 libraries are looked for in
# one of them only: without the merge libz.so.1 is not found, FreeType
# fails and buttons have no labels.
if [[ ! -L "$root/lib" ]]; then
  cp -a "$root/lib/." "$root/usr/lib/"
  rm -rf "$root/lib"
  ln -s usr/lib "$root/lib"
fi
# user32 needs zlib1.dll, which the i386 packages do not carry.
cp /usr/i686-w64-mingw32/lib/zlib1.dll "$root/usr/lib/i386-linux-gnu/wine/i386-windows/"
touch "$marker"
echo "32-bit Wine ready: $root ($((SECONDS - start)) s)"
exec scripts/wine-prefix.sh "$WINEPREFIX"
