#!/bin/sh
# Instructions per output byte of ExplodeData on the benchmark corpus (bench/explode_corpus.h), counted
# by callgrind. Only ExplodeData and what it calls are counted (--toggle-collect); the encoder that
# builds the corpus and the checks of the output are not. The count does not depend on the machine's
# load, so it is the figure to compare between versions.
#
#   bench/count-instructions.sh            the linux-release preset (g++ -O3), configured if need be
#   bench/count-instructions.sh -O2        g++ with these release flags, in build/count-O2
#   BUILD_DIR=dir bench/count-instructions.sh    a build that is already configured with KV_BENCH=ON
set -eu

cd "$(dirname "$0")/.."
if [ -n "${BUILD_DIR:-}" ]; then
  build=$BUILD_DIR
elif [ $# -eq 0 ]; then
  build=build/linux-release
  [ -f "$build/CMakeCache.txt" ] || cmake --preset linux-release >/dev/null
else
  flags="$*"
  build="build/count$(printf '%s' "$flags" | tr -c 'A-Za-z0-9_.=-' '_')"
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ -DKV_TESTS=OFF \
    -DKV_BENCH=ON "-DCMAKE_CXX_FLAGS_RELEASE=$flags -DNDEBUG" >/dev/null
fi
cmake --build "$build" --target explode_count >/dev/null

command -v valgrind >/dev/null || { echo "count-instructions.sh: valgrind is not installed" >&2; exit 1; }
program="$build/bench/explode_count"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Prints "bytes instructions" for one mode and kind (an empty kind: every kind).
count() {
  bytes=$(valgrind --tool=callgrind --toggle-collect='kv::ExplodeData*' --callgrind-out-file="$out/cg" \
    "$program" "$@" 2>"$out/log") || { cat "$out/log" >&2; exit 1; }
  instructions=$(sed -n 's/.*Collected : *\([0-9]*\).*/\1/p' "$out/log")
  echo "$bytes $instructions"
}

echo "ExplodeData, instructions per output byte ($(grep -E '^CMAKE_BUILD_TYPE:|^CMAKE_CXX_FLAGS_RELEASE:' \
  "$build/CMakeCache.txt" | sed 's/.*=//' | tr '\n' ' ')in $build)"
printf '%-6s %-9s %10s %14s %8s\n' mode kind bytes instructions per-byte
for mode in 0 1; do
  for kind in text speech pictures vectors ""; do
    set -- $(count "$mode" $kind)
    awk -v mode="$mode" -v kind="${kind:-all}" -v bytes="$1" -v instructions="$2" \
      'BEGIN { printf "%-6s %-9s %10s %14s %8.2f\n", mode, kind, bytes, instructions, instructions / bytes }'
  done
done
