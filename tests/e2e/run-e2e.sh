#!/usr/bin/env bash
# Usage: run-e2e.sh DRIVER PROGRAM ARTIFACTS PREFIX [gtest flags]
#
# Runs the end-to-end driver against PROGRAM on a display of its own: makes
# the Wine prefix PREFIX if needed, starts an Xvfb on a free display number,
# runs DRIVER under Wine on it, and at the end stops that Xvfb (by its process
# id) and the prefix's Wine processes, however the driver ended. WINELOADER
# and WINESERVER, when set, name the Wine to use (the 32-bit one for the
# i686 build).
set -euo pipefail

if [[ $# -lt 4 ]]; then
  echo "usage: $0 DRIVER PROGRAM ARTIFACTS PREFIX [gtest flags]" >&2
  exit 2
fi
driver=$1 program=$2 artifacts=$3 prefix=$4
shift 4
root="$(cd "$(dirname "$0")/../.." && pwd)"
for tool in Xvfb convert; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done

"$root/scripts/wine-prefix.sh" "$prefix"
WINEPREFIX="$(cd "$prefix" && pwd)"
export WINEPREFIX

mkdir -p "$artifacts"
display_file="$(mktemp)"
xvfb_pid=""
cleanup() {
  local status=$? # what the run ended with, kept whatever clean-up meets
  "${WINESERVER:-wineserver}" -k >/dev/null 2>&1 || true
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -f "$display_file"
  # The driver saves plain bitmaps; they are kept as PNG files.
  local shot
  for shot in "$artifacts"/*.bmp; do
    if [[ -f "$shot" ]] && convert "$shot" "${shot%.bmp}.png"; then rm -f "$shot"; fi
  done
  exit "$status"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >"$artifacts/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -s "$display_file" ]] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "$0: Xvfb did not start; see $artifacts/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[[ -s "$display_file" ]] || { echo "$0: Xvfb gave no display number within 10 s" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$display_file")"

# The driver takes both paths as Windows paths, full and without "..", as
# the program's captions show them. Only this run's screenshots are kept.
rm -f "$artifacts"/*.bmp "$artifacts"/*.png
KV_E2E_PROGRAM="$(WINEDEBUG=-all "${WINELOADER:-wine}" winepath -w "$(cd "$(dirname "$program")" && pwd)/$(basename "$program")")"
KV_E2E_ARTIFACTS="$(WINEDEBUG=-all "${WINELOADER:-wine}" winepath -w "$(cd "$artifacts" && pwd)")"
# Waits last 10 s, times this where the programs run emulated.
KV_E2E_SLOWDOWN="${KV_E2E_SLOWDOWN:-1}"
export KV_E2E_PROGRAM KV_E2E_ARTIFACTS KV_E2E_SLOWDOWN
"$root/cmake/wine-run.sh" "$driver" "$@"
