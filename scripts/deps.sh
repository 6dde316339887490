# Installs with apt-get whatever the build and the tests need that is missing.
# Sourced by run.sh and test.sh; safe to run again.

KV_PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format
  googletest libbenchmark-dev libdynamite-dev nlohmann-json3-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 fonts-wine xvfb x11-utils imagemagick sox espeak-ng
  qemu-user-static libz-mingw-w64 dpkg-dev zip unzip lintian
)

kv_install_deps() {
  local missing=()
  local package
  for package in "${KV_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
