#!/usr/bin/env bash
# Benchmarks hjpeg against libjpeg-turbo on real photographs: the wallpapers
# of Debian's mate-backgrounds (nature/*.jpg and the 5640x3172 Elephants) and
# ukui-wallpapers, decoded with djpeg and re-encoded with cjpeg at quality 75,
# 90 and 98 in six kinds, one folder a kind under build/bench-photos/:
#   420, 422, 444   colour, chroma sampled 2x2, 2x1 and 1x1
#   grey            one component
#   progressive     progressive, 4:2:0
#   restart1        4:2:0 with a restart marker after every MCU row
# and then runs `hjpeg bench` on all of them (a file's kind being the name of
# its folder). The encoded files are kept and reused; delete the folder to
# make them anew. The photographs themselves are never committed.
#
# Usage: scripts/bench-photos.sh [--rounds N] [--scale N] [--cpu N] [PHOTO.jpg...]
#   PHOTO...  the photographs to use; all of them (18, some 20 minutes of
#             benchmark on two cores) when none is named
set -euo pipefail
cd "$(dirname "$0")/.."

bench_options=()
photos=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --rounds|--scale|--cpu) bench_options+=("$1" "${2:?bench-photos.sh: $1 needs a value}"); shift 2 ;;
    *) photos+=("$1"); shift ;;
  esac
done

scripts/install-packages.sh --bench-photos
if [[ ${#photos[@]} -eq 0 ]]; then
  mapfile -t photos < <(scripts/default-photos.sh)
fi
scripts/build.sh native --target hjpeg >/dev/null

out=build/bench-photos
kinds=(420 422 444 grey progressive restart1)
declare -A kind_options=(
  [420]="-sample 2x2" [422]="-sample 2x1" [444]="-sample 1x1"
  [grey]="-grayscale" [progressive]="-sample 2x2 -progressive" [restart1]="-sample 2x2 -restart 1"
)
mkdir -p "$out"
ppm="$out/photo.ppm"
files=()
for photo in "${photos[@]}"; do
  name=$(basename "$photo" .jpg)
  rm -f "$ppm"
  for kind in "${kinds[@]}"; do
    mkdir -p "$out/$kind"
    for quality in 75 90 98; do
      target="$out/$kind/$name-q$quality.jpg"
      files+=("$target")
      [[ -s "$target" ]] && continue
      [[ -s "$ppm" ]] || djpeg -pnm -outfile "$ppm" "$photo"
      # A file is complete once it has its name: an interrupted run leaves none.
      # shellcheck disable=SC2086  # the kind's options are separate words
      cjpeg -quality "$quality" ${kind_options[$kind]} -outfile "$target.part" "$ppm"
      mv "$target.part" "$target"
    done
  done
done
rm -f "$ppm"
echo "bench-photos: ${#files[@]} files from ${#photos[@]} photographs in $out"
build/native/tools/hjpeg bench "${bench_options[@]}" "${files[@]}"
