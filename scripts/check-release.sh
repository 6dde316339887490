#!/usr/bin/env bash
# Usage: scripts/check-release.sh
#
# Checks what scripts/release.sh wrote into dist/: the zip holds exactly
# the release's files, its checksums hold, and both of its programs start
# under the 32-bit Wine (vorevuvo.exe --version names the version and the
# i686 target; KrollVorevuvo.exe shows its window); the Debian package
# installed into a scratch folder with dpkg -x runs `vorevuvo --version`,
# carries its man page, completion and copyright, and lintian finds no
# error in it. Needs scripts/i686-runtime.sh to have run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/i686-env.sh
source scripts/xvfb.sh
version="$(sed -n 's/^project(KrollVorevuvo VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)"
name="kroll-vorevuvo-$version"
zip="dist/$name-windows-x86.zip"
deb="dist/kroll-vorevuvo_${version}_amd64.deb"
scratch="$(mktemp -d)"
kv_i686_env
cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  kv_stop_xvfb
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "$0: $*" >&2
  exit 1
}

expected="$(printf "$name/%s\n" KrollVorevuvo.exe LICENSE README.txt SHA256SUMS THIRD-PARTY.txt vorevuvo.exe)"
[[ "$(unzip -Z1 "$zip")" == "$expected" ]] || fail "$zip holds $(unzip -Z1 "$zip" | tr '\n' ' ')"
unzip -q "$zip" -d "$scratch"
cd "$scratch/$name"
tr -d '\r' <SHA256SUMS | sha256sum --quiet -c - || fail "the checksums of $zip do not hold"
[[ "$(tr -d '\r' <SHA256SUMS | wc -l)" == 5 ]] || fail "SHA256SUMS does not name the five other files"
grep -q "GCC Runtime Library Exception" THIRD-PARTY.txt || fail "THIRD-PARTY.txt lacks libstdc++'s exception"
grep -q "nlohmann" THIRD-PARTY.txt || fail "THIRD-PARTY.txt lacks nlohmann-json"
grep -q "winpthreads" THIRD-PARTY.txt || fail "THIRD-PARTY.txt lacks winpthreads"
cd - >/dev/null

# Under emulation a Wine start now and then hangs or dies in the emulator
# before the program runs (qemu's trap -1 in a Wine service): each start has
# a time limit and is tried up to three times, with the server ended between
# tries. What Wine said goes to wine.log, shown when every try failed.
wine_log="$scratch/wine.log"
export WINEDEBUG=-all
end_wine() { "$WINESERVER" -k >/dev/null 2>&1 || true; }
give_up() {
  tail -n 40 "$wine_log" >&2 || true
  fail "$@"
}
end_wine
said=
for try in 1 2 3; do
  said="$(cd "$scratch/$name" && timeout 120 "$WINELOADER" vorevuvo.exe --version 2>>"$wine_log" | tr -d '\r')" || true
  [[ "$said" == "vorevuvo $version (i686-w64-mingw32)" ]] && break
  echo "vorevuvo.exe --version, try $try of 3, said: $said" >&2
  end_wine
done
[[ "$said" == "vorevuvo $version (i686-w64-mingw32)" ]] || give_up "vorevuvo.exe --version said: $said"

window_shown() {
  local program shown _
  (cd "$scratch/$name" && exec timeout 120 "$WINELOADER" KrollVorevuvo.exe >/dev/null 2>>"$wine_log") &
  program=$!
  for _ in $(seq 1 600); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Kroll Vorevuvo"' && break
    kill -0 "$program" 2>/dev/null || break
    sleep 0.2
  done
  xwininfo -root -tree 2>/dev/null | grep -q '"Kroll Vorevuvo"' && shown=1 || shown=0
  end_wine
  wait "$program" 2>/dev/null || true
  ((shown))
}
kv_start_xvfb
for try in 1 2 3; do
  window_shown && break
  echo "KrollVorevuvo.exe showed no window, try $try of 3" >&2
  ((try < 3)) || give_up "KrollVorevuvo.exe showed no window within 120 s, three times"
done

dpkg-deb -x "$deb" "$scratch/root"
said="$("$scratch/root/usr/bin/vorevuvo" --version)"
[[ "$said" == "vorevuvo $version (x86_64-linux-gnu)" ]] || fail "the package's vorevuvo --version said: $said"
for file in usr/share/man/man1/vorevuvo.1.gz usr/share/bash-completion/completions/vorevuvo \
  usr/share/doc/kroll-vorevuvo/copyright; do
  [[ -s "$scratch/root/$file" ]] || fail "$deb lacks /$file"
done
dpkg-deb -f "$deb" Depends | grep -q libc6 || fail "$deb names no dependencies"
lintian --fail-on error "$deb" 2>/dev/null || fail "lintian found errors in $deb"
echo "release checked: $zip, $deb"
