#!/usr/bin/env bash
# Installs, with apt-get, the Debian 12 packages that building and testing
# Halvora need. Does nothing (and needs no network or root) when all are there.
#   scripts/install-packages.sh                 everything: builds and every test
#   scripts/install-packages.sh viewer          only what building and showing the guide viewer needs
#   scripts/install-packages.sh --bench-photos  the photographs of scripts/bench-photos.sh
set -euo pipefail

# The guide viewer: the Windows cross build, Wine, and a virtual display.
packages=(
  cmake ninja-build                         # the build
  g++-mingw-w64-x86-64-posix                # the Windows cross build (with windres)
  wine64 wine                               # runs the Windows programs
  xvfb xauth xdotool imagemagick            # a virtual display, keys, clicks, screenshots
  fonts-wqy-microhei                        # Chinese, Japanese and Korean dialog texts under Wine
)
case "${1:-}" in
  viewer) ;;
  --bench-photos)
    # Real photographs for the decoder benchmark (no build or test needs
    # them), the cjpeg that re-encodes them, and libjpeg-turbo as the peer.
    packages=(mate-backgrounds ukui-wallpapers libjpeg-turbo-progs libturbojpeg0-dev)
    ;;
  *)
    packages+=(
      g++ googletest                        # the native builds and GoogleTest sources
      pkg-config                            # the installed codec as a C program takes it
      libjpeg-turbo-progs libjpeg62-turbo-dev libturbojpeg0-dev  # the codec's test oracle and peer
      libpng-dev                            # hjpeg's PNG files
      clang libclang-rt-14-dev              # the fuzz targets (libFuzzer and the sanitizers)
    )
    ;;
esac

missing=()
for package in "${packages[@]}"; do
  if [[ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" != "install ok installed" ]]; then
    missing+=("$package")
  fi
done
if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "install-packages.sh: missing packages: ${missing[*]}; run as root to install them" >&2
  exit 1
fi
echo "install-packages.sh: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y "${missing[@]}"
