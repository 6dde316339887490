#!/usr/bin/env bash
# Runs every test: builds the four presets (Linux debug with the sanitizers,
# Linux release, Windows x86_64 and i686), runs the Windows tests under Wine
# (the journeys on a virtual display of their own), the i686 ones under the
# 32-bit Wine that scripts/i686-runtime.sh sets up, makes and checks the
# release (scripts/release.sh, scripts/check-release.sh), then runs the
# Linux unit tests, the command-line tests and a short pass of every fuzz
# target. Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/deps.sh
kv_install_deps

jobs=$(nproc)
start=$(date +%s)
step() { echo; echo "== $* ($(( $(date +%s) - start )) s)"; }

# The 32-bit Wine and its prefix are made beside the builds: most of that
# time is Wine's services waiting under emulation, not work. Its output is
# shown when the 32-bit tests begin.
mkdir -p build
i686_log="$root/build/i686-setup.log"
scripts/i686-runtime.sh >"$i686_log" 2>&1 &
i686_setup=$!
trap 'kill "$i686_setup" 2>/dev/null || true' EXIT

step "Checking the format of the sources"
git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

step "Checking that no Win32 callback is cast (the i686 compile checks their calling convention)"
callback_types='WNDPROC|DLGPROC|BFFCALLBACK|PFNLVCOMPARE|SUBCLASSPROC|TIMERPROC|WNDENUMPROC|HOOKPROC'
if git grep -nE "(reinterpret_cast|static_cast)<($callback_types)>|\(($callback_types)\)" -- '*.cpp' '*.h'; then
  echo "A callback handed to Win32 must be declared CALLBACK and passed without a cast." >&2
  exit 1
fi

for preset in win32 win64 linux-release linux-debug; do
  step "Building $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

step "Windows tests under Wine (the journeys on a virtual display of their own)"
export WINEPREFIX="$root/build/wine/prefix"
trap 'wineserver -k >/dev/null 2>&1 || true; kill "$i686_setup" 2>/dev/null || true' EXIT
scripts/wine-prefix.sh "$WINEPREFIX"
ctest --preset win64 -j 1
wineserver -k >/dev/null 2>&1 || true
unset WINEPREFIX

step "The 32-bit tests under the 32-bit Wine (qemu-i386; the set-up is made once)"
i686_ready=0
wait "$i686_setup" && i686_ready=1
trap - EXIT
cat "$i686_log"
((i686_ready)) || { echo "making the 32-bit Wine failed (above)" >&2; exit 1; }
(
  source scripts/i686-env.sh
  kv_i686_env
  trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
  # A program start under emulation now and then dies in the emulator
  # (qemu's trap -1) before the test begins: a failed test is run once more,
  # and said so; a test that fails twice fails the run.
  if ! ctest --preset win32 -j 1; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
    echo "== The 32-bit tests that failed, run once more" >&2
    ctest --preset win32 -j 1 --rerun-failed
  fi
)

step "The release: the Windows zip and the Debian package, checked"
scripts/release.sh --unclean
scripts/check-release.sh

step "Linux tests (AddressSanitizer, UndefinedBehaviorSanitizer) and fuzzing"
ctest --preset linux-debug -j "$jobs"
