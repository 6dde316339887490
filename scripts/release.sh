#!/usr/bin/env bash
# Usage: scripts/release.sh
#
# Makes the release from the last commit (HEAD), in a checkout of its own
# under build/release (changes not committed are not in it), and writes
#   dist/kroll-vorevuvo-VERSION-windows-x86.zip  the 32-bit KrollVorevuvo.exe
#       and console vorevuvo.exe, README.txt, LICENSE, THIRD-PARTY.txt and
#       SHA256SUMS, in a folder kroll-vorevuvo-VERSION
#   dist/kroll-vorevuvo_VERSION_amd64.deb  the command line for Debian and
#       Ubuntu (cpack)
# Two runs from the same commit write the same bytes: every time in them is
# the commit's, the zip's entries are sorted, the programs carry no link time
# and no build folder. Each file appears complete under its name or not at
# all. Installs what is missing with apt-get.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/deps.sh
kv_install_deps

version="$(sed -n 's/^project(KrollVorevuvo VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)"
[[ -n "$version" ]] || { echo "$0: no version in CMakeLists.txt" >&2; exit 1; }
if [[ -n "$(git status --porcelain --untracked-files=no)" ]]; then
  echo "$0: note: changes that are not committed are not in the release of $(git rev-parse --short HEAD)" >&2
fi
SOURCE_DATE_EPOCH="$(git log -1 --format=%ct HEAD)"
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
work="$root/build/release"
source="$work/source"
mkdir -p "$source" "$root/dist"

# The commit's files, in a checkout with an index of its own: a file that
# did not change keeps its time, so a second run rebuilds nothing.
GIT_INDEX_FILE="$work/index" git --work-tree="$source" read-tree --reset -u HEAD

echo "== Building the Windows programs (i686)"
cmake -S "$source" -B "$work/win32" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKV_TESTS=OFF >/dev/null
cmake --build "$work/win32" -j "$(nproc)" --target KrollVorevuvo vorevuvo
echo "== Building the command line (Linux)"
cmake -S "$source" -B "$work/linux" -G Ninja -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=Release \
  -DKV_TESTS=OFF >/dev/null
cmake --build "$work/linux" -j "$(nproc)"

# Published by renaming a complete file in the same folder.
publish() { mv -f "$1" "$root/dist/$(basename "$2")"; echo "$root/dist/$(basename "$2")"; }

name="kroll-vorevuvo-$version"
stage="$work/zip/$name"
rm -rf "$work/zip"
mkdir -p "$stage"
for exe in KrollVorevuvo vorevuvo; do
  i686-w64-mingw32-strip -o "$stage/$exe.exe" "$work/win32/$exe.exe"
done
# Texts for Windows have CRLF line ends.
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }
crlf "$source/docs/README-windows.txt" "$stage/README.txt"
crlf "$source/LICENSE" "$stage/LICENSE"
"$source/scripts/third-party.sh" >"$work/third-party.txt"
crlf "$work/third-party.txt" "$stage/THIRD-PARTY.txt"
(cd "$stage" && sha256sum -- LICENSE *.exe *.txt | sed 's/\r*$/\r/' >SHA256SUMS)
chmod 644 "$stage"/*
find "$work/zip" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
rm -f "$work/$name.zip"
(cd "$work/zip" && find "$name" -type f | sort | zip -X -D -q -9 "$work/$name.zip" -@)
publish "$work/$name.zip" "$name-windows-x86.zip"

rm -f "$work"/linux/*.deb
(cd "$work/linux" && cpack -G DEB >/dev/null)
deb="$(ls "$work"/linux/kroll-vorevuvo_"$version"_*.deb)"
publish "$deb" "$deb"
