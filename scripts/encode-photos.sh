#!/usr/bin/env bash
# Measures hjpeg's encoder against libjpeg-turbo's on real photographs (those
# of scripts/bench-photos.sh, or the ones named), each decoded with djpeg
# into the source image (a PPM, and a PGM for grey):
#   1. every quality of 50, 75, 90, 95 and 100 in every sampling (4:4:4,
#      4:2:2, 4:2:0, grey): the bytes of `hjpeg encode` and of `cjpeg`, and
#      the PSNR of their djpeg decodes against the source (ImageMagick's
#      compare); then the bytes with optimised tables (--optimize against
#      -optimize) and progressive (--progressive against -progressive). Every
#      hjpeg stream must decode with djpeg without a word on standard error,
#      and the quality-90 ones must come through `jpegtran -copy all`
#      unchanged. One line a case, then the extremes of each column.
#   2. `hjpeg bench --encode` on the photographs at quality 90 (rates per
#      photo and sampling, then the geometric means), unless --no-bench.
# A photograph decoded at its own size is a grid of blocks that its encoder
# quantised; re-encoded at that encoder's quality, an encoder with the same
# transform finds those coefficients again more often. --scale M/8 (djpeg's
# scales, e.g. 7/8) decodes the sources smaller, so that no block of them
# lines up with a block of the photograph.
# Usage: scripts/encode-photos.sh [--rounds N] [--scale M/8] [--no-bench] [PHOTO.jpg...]
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=15
scale=()
bench=true
photos=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --rounds) rounds=${2:?encode-photos.sh: --rounds needs a value}; shift 2 ;;
    --scale) scale=(-scale "${2:?encode-photos.sh: --scale needs a value}"); shift 2 ;;
    --no-bench) bench=false; shift ;;
    *) photos+=("$1"); shift ;;
  esac
done

scripts/install-packages.sh --bench-photos
if [[ ${#photos[@]} -eq 0 ]]; then
  mapfile -t photos < <(scripts/default-photos.sh)
fi
scripts/build.sh native --target hjpeg >/dev/null
hjpeg=build/native/tools/hjpeg

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

psnr() { compare -metric PSNR "$1" "$2" null: 2>&1 || true; }
size() { stat -c %s "$1"; }

# Decodes $1 with djpeg into $2; a word on standard error fails the run.
quiet_djpeg() {
  djpeg -pnm -outfile "$2" "$1" 2>"$work/err"
  if [[ -s "$work/err" ]]; then
    echo "encode-photos.sh: djpeg on $1: $(cat "$work/err")" >&2
    exit 1
  fi
}

printf 'photo\tsampling\tquality\thjpeg\tcjpeg\tratio\tpsnr_hjpeg\tpsnr_cjpeg\tdelta\topt_ratio\tprog_ratio\n'
for photo in "${photos[@]}"; do
  name=$(basename "$photo" .jpg)
  djpeg "${scale[@]}" -pnm -outfile "$work/colour.ppm" "$photo"
  djpeg "${scale[@]}" -grayscale -pnm -outfile "$work/grey.pgm" "$photo"
  for sampling in 444 422 420 grey; do
    case $sampling in
      444) source=$work/colour.ppm ours=(--subsampling 444) theirs=(-sample 1x1) ;;
      422) source=$work/colour.ppm ours=(--subsampling 422) theirs=(-sample 2x1) ;;
      420) source=$work/colour.ppm ours=(--subsampling 420) theirs=(-sample 2x2) ;;
      grey) source=$work/grey.pgm ours=() theirs=() ;;
    esac
    for quality in 50 75 90 95 100; do
      line="$name\t$sampling\t$quality"
      ratios=()
      for mode in "" optimize progressive; do
        "$hjpeg" encode "$source" "$work/ours.jpg" --quality "$quality" "${ours[@]}" ${mode:+--$mode}
        cjpeg -quality "$quality" "${theirs[@]}" ${mode:+-$mode} -outfile "$work/theirs.jpg" "$source"
        quiet_djpeg "$work/ours.jpg" "$work/ours.pnm"
        ratios+=("$(awk -v a="$(size "$work/ours.jpg")" -v b="$(size "$work/theirs.jpg")" 'BEGIN { printf "%.4f", a / b }')")
        if [[ -z "$mode" ]]; then
          djpeg -pnm -outfile "$work/theirs.pnm" "$work/theirs.jpg"
          ours_psnr=$(psnr "$source" "$work/ours.pnm")
          theirs_psnr=$(psnr "$source" "$work/theirs.pnm")
          line="$line\t$(size "$work/ours.jpg")\t$(size "$work/theirs.jpg")\t${ratios[0]}\t$ours_psnr\t$theirs_psnr"
          line="$line\t$(awk -v a="$ours_psnr" -v b="$theirs_psnr" 'BEGIN { printf "%.3f", a - b }')"
        fi
        if [[ $quality == 90 ]]; then
          jpegtran -copy all -outfile "$work/rewritten.jpg" "$work/ours.jpg"
          quiet_djpeg "$work/rewritten.jpg" "$work/rewritten.pnm"
          cmp -s "$work/ours.pnm" "$work/rewritten.pnm" || { echo "encode-photos.sh: jpegtran changed $name" >&2; exit 1; }
        fi
      done
      printf "$line\t%s\t%s\n" "${ratios[1]}" "${ratios[2]}"
    done
  done
done | tee "$work/table.tsv"
awk -F'\t' '{
    if (!seen++ || $6 > ratio) ratio = $6; if (seen == 1 || $9 < delta) delta = $9
    if (seen == 1 || $10 > opt) opt = $10; if (seen == 1 || $11 > prog) prog = $11 }
  END { printf "extremes over %d cases: bytes/cjpeg at most %.4f, PSNR - cjpeg at least %.3f dB, ", seen, ratio, delta
        printf "optimised bytes/cjpeg -optimize at most %.4f, progressive bytes/cjpeg -progressive at most %.4f\n", opt, prog }' \
  "$work/table.tsv"
echo "every hjpeg stream decoded with djpeg without a warning; the quality-90 ones came through jpegtran unchanged"

if [[ $bench == true ]]; then
  "$hjpeg" bench --encode --quality 90 --rounds "$rounds" "${photos[@]}"
fi
