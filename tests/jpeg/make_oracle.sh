#!/usr/bin/env bash
# Makes the reference data of the decoding tests with Debian's libjpeg-turbo
# tools (cjpeg, djpeg, jpegtran), at test time, into OUT_DIR:
#   - JPEG streams made by cjpeg from synthesised pictures (smooth gradients
#     with noise) in every sampling the sequential decoder writes directly,
#     greyscale, RGB-coded, restart intervals, odd sizes;
#   - lossless transcodes of some of them by jpegtran (restart intervals,
#     optimised Huffman tables), whose decodes must equal their original's;
#   - libjpeg-turbo's decode of each stream and of the corpus's sequential
#     one- and three-component files, with the integer DCT and without fancy
#     upsampling (djpeg -dct int -nosmooth), as PNM.
# OUT_DIR/cases.tsv lists one case per line: name, stream, reference, and the
# relation: "oracle" (compare with the reference) or "same-as:NAME" (the
# decode must equal that case's decode byte for byte).
#
#   make_oracle.sh CORPUS_DIR OUT_DIR
set -euo pipefail

corpus=$1
out=$2
rm -rf "$out"
mkdir -p "$out"
cases="$out/cases.tsv"
: > "$cases"

# A W x H picture as a plain PPM: gradients in each channel plus noise, the
# same for the same size.
synthesise() {
  local width=$1 height=$2 file=$3
  LC_ALL=C awk -v w="$width" -v h="$height" 'BEGIN {
    srand(w * 7919 + h);
    printf "P3\n%d %d\n255\n", w, h;
    for (y = 0; y < h; y++) {
      for (x = 0; x < w; x++) {
        r = 255 * x / (w > 1 ? w - 1 : 1) + rand() * 40 - 20;
        g = 255 * y / (h > 1 ? h - 1 : 1) + rand() * 40 - 20;
        b = 128 + 100 * sin((x + 2 * y) / 9.0) + rand() * 40 - 20;
        r = r < 0 ? 0 : (r > 255 ? 255 : r);
        g = g < 0 ? 0 : (g > 255 ? 255 : g);
        b = b < 0 ? 0 : (b > 255 ? 255 : b);
        printf "%d %d %d\n", int(r), int(g), int(b);
      }
    }
  }' > "$file"
}

reference() {
  djpeg -dct int -nosmooth -pnm -outfile "$2" "$1"
}

# generate NAME SIZE CJPEG-OPTIONS...
generate() {
  local name=$1 size=$2
  shift 2
  local picture="$out/picture-$size.ppm"
  [[ -f "$picture" ]] || synthesise "${size%x*}" "${size#*x}" "$picture"
  cjpeg "$@" -outfile "$out/$name.jpg" "$picture"
  reference "$out/$name.jpg" "$out/$name.pnm"
  printf '%s\t%s.jpg\t%s.pnm\toracle\n' "$name" "$name" "$name" >> "$cases"
}

# transcode NAME ORIGINAL JPEGTRAN-OPTIONS...
transcode() {
  local name=$1 original=$2
  shift 2
  jpegtran "$@" -outfile "$out/$name.jpg" "$out/$original.jpg"
  printf '%s\t%s.jpg\t-\tsame-as:%s\n' "$name" "$name" "$original" >> "$cases"
}

for size in 1x1 7x9 17x17 1000x1 1x40 64x48 33x65; do
  generate "s444-$size" "$size" -sample 1x1
  generate "s422-$size" "$size" -sample 2x1
  generate "s420-$size" "$size" -sample 2x2
  generate "grey-$size" "$size" -grayscale
done
generate s420-64x48-q10 64x48 -sample 2x2 -quality 10
generate s420-64x48-q50 64x48 -sample 2x2 -quality 50
generate s444-64x48-q100 64x48 -sample 1x1 -quality 100
generate s422-64x48-q95-optimize 64x48 -sample 2x1 -quality 95 -optimize
generate rgb-33x65 33x65 -rgb
generate s420-64x48-restart1 64x48 -sample 2x2 -restart 1B
generate s444-33x65-restart3 33x65 -sample 1x1 -restart 3B
generate s422-33x65-restart-row 33x65 -sample 2x1 -restart 1
generate grey-33x65-restart2 33x65 -grayscale -restart 2B
generate s420-256x192 256x192 -sample 2x2 -quality 90

transcode s420-64x48-as-restart1 s420-64x48 -restart 1B
transcode s420-64x48-as-restart-row s420-64x48 -restart 1
transcode s420-64x48-as-optimized s420-64x48 -optimize
transcode s422-33x65-as-restart5 s422-33x65 -restart 5B
transcode s444-17x17-as-optimized-restart2 s444-17x17 -optimize -restart 2B
transcode grey-33x65-as-restart1 grey-33x65 -restart 1B
transcode s420-256x192-as-restart7 s420-256x192 -restart 7B -optimize
transcode rgb-33x65-as-optimized rgb-33x65 -optimize

# The corpus's sequential one- and three-component files (libjpeg-turbo
# writes no four-component PNM).
tail -n +2 "$corpus/MANIFEST.tsv" | while IFS=$'\t' read -r path _ _ sof components _; do
  [[ "$path" == valid/* && ( "$sof" == 0 || "$sof" == 1 ) ]] || continue
  [[ "$components" == 1 || "$components" == 3 ]] || continue
  name=$(basename "$path" .jpg)
  reference "$corpus/$path" "$out/corpus-$name.pnm"
done
echo "make_oracle.sh: $(wc -l < "$cases") cases in $out"
