#!/usr/bin/env bash
# Speaks the phrases of FOLDER/phrases.txt (FOLDER: assets/voice, the clips
# of SOUNDS.WAD, when not given) and writes one raw SFX clip per phrase
# beside it (NAME.raw: 8-bit unsigned mono, 11025 samples per second, no
# header). assets/commentary/phrases.txt, the clips of VOICE\VOICE.WAD, is
# written by scripts/commentary-phrases.py. The clips are kept in the
# repository and built into the program, so the sample folder needs no
# speech tools; run this only to change them. Needs espeak-ng and sox (scripts/deps.sh installs both).
#
# Per clip: espeak-ng speaks at 22050 Hz, 16 bits; sox trims the silence at
# both ends, lowers the level by 3 dB for headroom, resamples to 11025 Hz
# with its very-high-quality filter, normalises the peak to -1 dBFS (no
# sample clips), fades 15 ms in and out (no click at either end), pads a
# little silence and converts to unsigned 8 bits without dither, so that the
# same tools give the same bytes on every run.
set -euo pipefail
cd "$(dirname "$0")/.."
folder="${1:-assets/voice}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

voice_of() {
  case "$1" in
  J) echo "-v en-us -p 45 -s 165" ;;
  B) echo "-v en-gb-x-rp -p 30 -s 155" ;;
  *) echo "unknown speaker '$1'" >&2; exit 1 ;;
  esac
}

while read -r name speaker text; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  # shellcheck disable=SC2046
  espeak-ng $(voice_of "$speaker") -w "$work/$name.wav" "$text"
  # Two passes: the fade needs the trimmed length, which sox learns only
  # from a file.
  sox -D "$work/$name.wav" -b 16 "$work/$name-trimmed.wav" \
    silence 1 0.01 0.3% reverse silence 1 0.01 0.3% reverse gain -3 rate -v 11025 norm -1
  sox -D "$work/$name-trimmed.wav" -t raw -r 11025 -e unsigned-integer -b 8 -c 1 "$folder/$name.raw" \
    fade t 0.015 -0 0.015 pad 0.03 0.05
  echo "$folder/$name.raw: $(stat -c %s "$folder/$name.raw") bytes, \"$text\""
done <"$folder/phrases.txt"
