#!/usr/bin/env bash
# Usage: scripts/release.sh [--unclean]
#
# Makes the release from a clean tree (with --unclean, from the tree as it
# is: the test command checks the release of the changes under test) and
# writes
#   dist/kroll-vorevuvo-VERSION-windows-x86.zip  the 32-bit KrollVorevuvo.exe
#       and console vorevuvo.exe, README.txt, LICENSE, THIRD-PARTY.txt and
#       SHA256SUMS, in a folder kroll-vorevuvo-VERSION
#   dist/kroll-vorevuvo_VERSION_amd64.deb  the command line for Debian and
#       Ubuntu (cpack)
# The programs are those of the win32 and linux-release presets, built if
# needed. Two runs from the same commit write the same bytes: every time in
# them is the commit's, the zip's entries are sorted, the programs carry no
# link time and no build folder. Each file appears complete under its name
# or not at all. Installs what is missing with apt-get.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/deps.sh
kv_install_deps

version="$(sed -n 's/^project(KrollVorevuvo VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)"
[[ -n "$version" ]] || { echo "$0: no version in CMakeLists.txt" >&2; exit 1; }
if [[ "${1:-}" != --unclean && -n "$(git status --porcelain)" ]]; then
  echo "$0: the tree has changes that are not committed (git status): a release is made from a clean tree" >&2
  exit 1
fi
SOURCE_DATE_EPOCH="$(git log -1 --format=%ct HEAD)"
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
work="$root/build/release"
mkdir -p "$work" "$root/dist"

for preset in win32 linux-release; do
  echo "== Building $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)" --target \
    $([[ $preset == win32 ]] && echo KrollVorevuvo vorevuvo || echo vorevuvo vorevuvo_pages vorevuvo_package_files)
done

# Published by renaming a complete file in the same folder.
publish() { mv -f "$1" "$root/dist/$(basename "$2")"; echo "$root/dist/$(basename "$2")"; }

name="kroll-vorevuvo-$version"
stage="$work/zip/$name"
rm -rf "$work/zip"
mkdir -p "$stage"
for exe in KrollVorevuvo vorevuvo; do
  i686-w64-mingw32-strip -o "$stage/$exe.exe" "$root/build/win32/$exe.exe"
done
# Texts for Windows have CRLF line ends.
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }
crlf docs/README-windows.txt "$stage/README.txt"
crlf LICENSE "$stage/LICENSE"
scripts/third-party.sh >"$work/third-party.txt"
crlf "$work/third-party.txt" "$stage/THIRD-PARTY.txt"
(cd "$stage" && sha256sum -- LICENSE *.exe *.txt | sed 's/\r*$/\r/' >SHA256SUMS)
chmod 644 "$stage"/*
find "$work/zip" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
rm -f "$work/$name.zip"
(cd "$work/zip" && find "$name" -type f | sort | zip -X -D -q -9 "$work/$name.zip" -@)
publish "$work/$name.zip" "$name-windows-x86.zip"

deb_dir="$work/deb"
rm -rf "$deb_dir"
cpack -G DEB --config build/linux-release/CPackConfig.cmake -B "$deb_dir" >/dev/null
deb="$(ls "$deb_dir"/kroll-vorevuvo_"$version"_*.deb)"
publish "$deb" "$deb"
