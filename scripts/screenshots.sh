#!/usr/bin/env bash
# Usage: scripts/screenshots.sh
#
# Takes the README's pictures anew: runs the real program's journey (the
# x86_64 build under Wine, on a virtual display of its own) and copies its
# screenshots of the main window and of the commentary window, shown with
# the sample game, into docs/. Installs what is missing with apt-get.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/deps.sh
kv_install_deps
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)" --target e2e_tests
artifacts="$root/build/screenshots/journey"
tests/e2e/run-e2e.sh build/win64/tests/e2e/e2e_tests.exe build/win64/KrollVorevuvo.exe "$artifacts" \
  build/wine/prefix --gtest_filter='TheProgram.*' >/dev/null
for shot in main-menu:main-window commentary:commentary-window; do
  cp "$artifacts"/TheProgram.*-"${shot%%:*}".png "docs/${shot##*:}.png.part"
  mv "docs/${shot##*:}.png.part" "docs/${shot##*:}.png"
  echo "docs/${shot##*:}.png"
done
