#!/usr/bin/env bash
# Installs the codec into a fresh prefix, then builds the C program in
# consumer/ against that install twice, once through the CMake package and
# once through pkg-config, and runs each on a JPEG file: both must decode it
# to the same result.
#
# Usage: install_consumer_test.sh static BUILD_DIR C_COMPILER JPEG_FILE
#        install_consumer_test.sh shared SOURCE_DIR C_COMPILER JPEG_FILE
# "static" installs from the project's own build tree; "shared" first builds
# the codec alone as a shared library and checks that it exports exactly the
# six entries.
set -euo pipefail
kind=$1 tree=$2 c_compiler=$3 jpeg=$4
consumer=$(cd "$(dirname "$0")" && pwd)/consumer
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

entries="JpegErrorText JpegFree JpegGetVersion JpegInit JpegRead JpegWrite"

build_dir=$tree
if [[ "$kind" == shared ]]; then
  build_dir=$work/build
  cmake -S "$tree" -B "$build_dir" -G Ninja -DBUILD_SHARED_LIBS=ON -DHALVORA_TESTS=OFF \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build_dir" --target halvora_jpeg >/dev/null
  exported=$(nm -D --defined-only "$build_dir"/jpeg/libhalvora-jpeg.so | awk '{print $3}' | sort | xargs)
  if [[ "$exported" != "$entries" ]]; then
    echo "the shared library exports: $exported" >&2
    exit 1
  fi
fi
cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
libdir=$(dirname "$(find "$work/prefix" -name 'libhalvora-jpeg.*' | head -n 1)")
export LD_LIBRARY_PATH=$libdir

cmake -S "$consumer" -B "$work/package" -G Ninja -DCMAKE_C_COMPILER="$c_compiler" \
      -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/package" >/dev/null
through_package=$("$work/package/decode_file" "$jpeg")

read -r -a flags <<<"$(PKG_CONFIG_PATH=$libdir/pkgconfig pkg-config --cflags --libs halvora-jpeg)"
"$c_compiler" -o "$work/decode_file" "$consumer/decode_file.c" "${flags[@]}"
through_pkg_config=$("$work/decode_file" "$jpeg")

echo "$kind, CMake package: $through_package"
echo "$kind, pkg-config:    $through_pkg_config"
[[ -n "$through_package" && "$through_package" == "$through_pkg_config" ]]
