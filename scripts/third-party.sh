#!/usr/bin/env bash
# Prints THIRD-PARTY.txt of the Windows release: the licences of everything
# linked into its programs, taken from the Debian packages they came from.
# The programs are linked statically with the MinGW-w64 runtime and
# winpthreads, libstdc++ and libgcc (GCC, under the GPL with the GCC Runtime
# Library Exception), and compile in nlohmann-json; everything else they use
# is part of Windows.
set -euo pipefail
section() {
  local title=$1 file=$2
  [[ -f "$file" ]] || { echo "$0: $file is missing" >&2; exit 1; }
  printf '\n%s\n%s\n\n' "$title" "$(printf '%*s' "${#title}" '' | tr ' ' '=')"
  cat "$file"
}
cat <<'TEXT'
Kroll Vorevuvo: the licences of the software built into its programs
====================================================================

KrollVorevuvo.exe and vorevuvo.exe are statically linked with the parts
below. Each section is the copyright file of the Debian package that the
part was taken from, naming its authors and its licences in full.

- The MinGW-w64 runtime and its winpthreads library (many files are in the
  public domain; the rest under the licences listed, chiefly the MIT and
  ZPL licences).
- libstdc++ and libgcc from GCC: GNU General Public License version 3
  with the GCC Runtime Library Exception version 3.1, which allows the
  programs that use them to be distributed under licences of their own.
  The GPL's full text is at the end.
- nlohmann-json: the MIT licence.
TEXT
section "The MinGW-w64 runtime and winpthreads (Debian package mingw-w64-i686-dev)" \
  /usr/share/doc/mingw-w64-i686-dev/copyright
section "libstdc++ and libgcc from GCC, with the GCC Runtime Library Exception (Debian package gcc-mingw-w64-base)" \
  /usr/share/doc/gcc-mingw-w64-base/copyright
section "nlohmann-json (Debian package nlohmann-json3-dev)" /usr/share/doc/nlohmann-json3-dev/copyright
section "GNU General Public License, version 3" /usr/share/common-licenses/GPL-3
