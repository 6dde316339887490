#!/usr/bin/env bash
# Builds the tool, makes the sample game folder sample/ once, and opens the
# tool: under Wine on Linux (the x86_64 build; the 32-bit one runs here only
# emulated, slowly: see the README). With no display, it starts a virtual one, opens the tool there,
# saves a screenshot of it and says where.
# Installs what is missing with apt-get.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/deps.sh
source scripts/xvfb.sh
kv_install_deps

for preset in win64 linux-release; do
  echo "== Building $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)" --target "$([ "$preset" = win64 ] && echo KrollVorevuvo || echo vorevuvo)"
done
echo "The command-line tool is $root/build/linux-release/vorevuvo ('vorevuvo --help')."

# A synthetic game folder to try every function with, made once; the
# folder is not part of the repository.
sample="$root/sample"
if [ ! -d "$sample" ]; then
  build/linux-release/vorevuvo make-sample "$sample" >/dev/null
elif [ ! -e "$sample/REMIX.TXT" ]; then
  echo "sample/ was made by an older version: it lacks the commentary files."
fi
echo "A sample game folder to try the tool with is $sample (Z:${sample//\//\\} in the"
echo "program's dialogs); its README.TXT tells what to try. To make it anew:"
echo "  build/linux-release/vorevuvo make-sample sample --force"

export WINEPREFIX="$root/build/wine/prefix"
headless=
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  kv_start_xvfb
  trap 'WINEPREFIX="$WINEPREFIX" wineserver -k >/dev/null 2>&1 || true; kv_stop_xvfb' EXIT
fi
scripts/wine-prefix.sh "$WINEPREFIX"
exe="$root/build/win64/KrollVorevuvo.exe"

if [ -z "$headless" ]; then
  echo "== Opening Kroll Vorevuvo"
  exec cmake/wine-run.sh "$exe"
fi

echo "== No display: opening Kroll Vorevuvo on a virtual one ($DISPLAY)"
cmake/wine-run.sh "$exe" &
app=$!
for _ in $(seq 1 100); do
  xwininfo -root -tree 2>/dev/null | grep -q '"Kroll Vorevuvo"' && break
  sleep 0.2
done
sleep 1
mkdir -p build/screenshots
shot="$root/build/screenshots/main-window.png"
import -window root "$shot"
kill "$app" 2>/dev/null || true
echo "Kroll Vorevuvo opened; a screenshot of its main window is at $shot"
echo "Run this again on a machine with a display (or with DISPLAY set) to use the tool."
