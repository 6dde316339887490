#!/bin/sh
# The command line's archive work beside the tools a user compares it with,
# on the same files and the same disk: `vorevuvo wad list` beside `unzip -l`,
# `vorevuvo wad extract` beside `unzip` of a stored zip and `tar -xf` of a tar
# holding the same files (tar publishes nothing in one step, so it is the
# floor rather than a peer). Prints the best of three runs of each, the time
# per entry and peak memory.
#
#   bench/compare-tools.sh [COUNT...]    default: 1000 10000 65535 entries of
#                                        about 3 KB, as in the game's archives
set -eu
cd "$(dirname "$0")/.."
[ -x build/linux-release/vorevuvo ] || { cmake --preset linux-release >/dev/null && cmake --build --preset linux-release --target vorevuvo >/dev/null; }
vorevuvo=$PWD/build/linux-release/vorevuvo
work=$PWD/build/compare-tools
rm -rf "$work" && mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# The best wall time of three runs of "$@" in seconds, each into a fresh
# folder out/ (the disk settled first, so that one run does not pay for the
# last one's writing), and the peak memory of that run in KB.
best() {
  for run in 1 2 3; do
    rm -rf out && mkdir out && sync
    /usr/bin/time -f '%e %M' -o time.txt "$@" >/dev/null
    cat time.txt
  done | sort -n | head -n1
}

# Prints a line for `name` from "seconds peak" of `count` entries, with its
# ratio to `reference` seconds when given.
report() { # name count "seconds peak" [reference]
  echo "$3" | awk -v name="$1" -v count="$2" -v ref="${4:-}" '{
    printf "%-22s %6d entries %7.2f s %8.1f us/entry %7d KB peak", name, count, $1, $1 * 1e6 / count, $2
    if (ref != "") printf "   %.2fx", $1 / ref
    printf "\n" }'
}

for count in ${@:-1000 10000 65535}; do
  dir=$work/$count && mkdir -p "$dir/files" && cd "$dir"
  python3 - "$count" <<'PY'
import random, sys
random.seed(7)
words = [bytes(random.choice(b"abcdefghijklmnopqrst") for _ in range(6)) for _ in range(400)]
for i in range(int(sys.argv[1])):
    with open(f"files/E{i}.DAT", "wb") as f:
        f.write(b" ".join(random.choice(words) for _ in range(300 + i % 400)))
PY
  # xargs may split a long list: the first file makes the archive, the rest are added.
  (cd files && ls | sort -V | head -n 1 | xargs "$vorevuvo" wad create ../big.wad -q --overwrite overwrite)
  (cd files && ls | sort -V | tail -n +2 | xargs "$vorevuvo" wad add ../big.wad -q)
  [ "$("$vorevuvo" wad list big.wad | wc -l)" -eq $((count + 1)) ] || { echo "big.wad lacks entries" >&2; exit 1; }
  (cd files && ls | sort -V | zip -0 -q ../stored.zip -@)
  (cd files && ls | sort -V | tar -cf ../files.tar -T -)
  unzip_list=$(best unzip -l stored.zip)
  unzip_time=$(best unzip -q stored.zip -d out)
  tar_time=$(best tar -xf files.tar -C out)
  report "unzip -l" "$count" "$unzip_list"
  report "vorevuvo wad list" "$count" "$(best "$vorevuvo" wad list big.wad)" "${unzip_list% *}"
  report "tar -xf" "$count" "$tar_time"
  report "unzip" "$count" "$unzip_time" "${tar_time% *}"
  report "vorevuvo wad extract" "$count" "$(best "$vorevuvo" wad extract big.wad -o out -q)" "${unzip_time% *}"
  echo "  (ratios: list to unzip -l, unzip to tar -xf, extract to unzip)"
  cd "$work" && rm -rf "$dir"
done
