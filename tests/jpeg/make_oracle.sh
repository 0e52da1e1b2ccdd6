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
# OUT_DIR/cases.tsv lists one case per line under a header row naming the
# columns: name, stream, reference, and the relation: "oracle" (compare with
# the reference) or "same-as:NAME" (the decode must equal that case's decode
# byte for byte). The other lists below have header rows too.
#
#   make_oracle.sh CORPUS_DIR OUT_DIR
set -euo pipefail

corpus=$1
out=$2
rm -rf "$out"
mkdir -p "$out"
cases="$out/cases.tsv"
printf 'name\tstream\treference\trelation\n' > "$cases"

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

# Progressive transcodes: jpegtran keeps the coefficients, so each decodes
# like its sequential original. progressive.tsv lists name, stream, original.
progressive="$out/progressive.tsv"
printf 'name\tstream\toriginal\n' > "$progressive"
# scan_script FILE COMPONENTS KIND: a progression for jpegtran -scans.
scan_script() {
  local file=$1 count=$2 kind=$3 all="0" c
  for ((c = 1; c < count; c++)); do all="$all $c"; done
  case "$kind" in
    spectral)
      echo "$all: 0 0 0 0;" > "$file"
      echo "0: 1 5 0 0; 0: 6 63 0 0;" >> "$file"
      for ((c = 1; c < count; c++)); do echo "$c: 1 63 0 0;" >> "$file"; done ;;
    approximation)
      echo "$all: 0 0 0 2; $all: 0 0 2 1; $all: 0 0 1 0;" > "$file"
      echo "0: 1 5 0 2; 0: 6 63 0 2; 0: 1 63 2 1; 0: 1 63 1 0;" >> "$file"
      for ((c = count - 1; c >= 1; c--)); do echo "$c: 1 63 0 1; $c: 1 63 1 0;" >> "$file"; done ;;
    dc-per-component)
      for ((c = count - 1; c >= 0; c--)); do echo "$c: 0 0 0 1;" >> "$file"; done
      for ((c = 0; c < count; c++)); do echo "$c: 0 0 1 0; $c: 1 63 0 0;" >> "$file"; done ;;
    dc-subsets)
      # Components that are not neighbours in the frame share a DC scan.
      case "$count" in
        3) echo "0 2: 0 0 0 0; 1: 0 0 0 0;" > "$file" ;;
        4) echo "0 2: 0 0 0 0; 1 3: 0 0 0 0;" > "$file" ;;
        *) echo "$all: 0 0 0 0;" > "$file" ;;
      esac
      for ((c = count - 1; c >= 0; c--)); do echo "$c: 1 63 0 0;" >> "$file"; done ;;
    bands-out-of-order)
      echo "$all: 0 0 0 1;" > "$file"
      echo "0: 33 63 0 0; 0: 1 32 0 0;" >> "$file"
      for ((c = 1; c < count; c++)); do echo "$c: 9 63 0 0; $c: 1 8 0 0;" >> "$file"; done
      echo "$all: 0 0 1 0;" >> "$file" ;;
  esac
}
# progressive_set ORIGINAL-FILE NAME COMPONENTS
progressive_set() {
  local original=$1 name=$2 count=$3 kind
  [[ -f "$out/$name.jpg" ]] || cp "$original" "$out/$name.jpg"
  jpegtran -progressive -outfile "$out/$name-progressive.jpg" "$original"
  printf '%s\t%s\t%s\n' "$name-progressive" "$name-progressive.jpg" "$name.jpg" >> "$progressive"
  jpegtran -progressive -restart 2B -outfile "$out/$name-progressive-dri2.jpg" "$original"
  printf '%s\t%s\t%s\n' "$name-progressive-dri2" "$name-progressive-dri2.jpg" "$name.jpg" >> "$progressive"
  for kind in spectral approximation dc-per-component dc-subsets bands-out-of-order; do
    scan_script "$out/$name-$kind.scans" "$count" "$kind"
    jpegtran -scans "$out/$name-$kind.scans" -outfile "$out/$name-$kind.jpg" "$original"
    printf '%s\t%s\t%s\n' "$name-$kind" "$name-$kind.jpg" "$name.jpg" >> "$progressive"
  done
  # Restart intervals count the blocks of a single-component scan.
  jpegtran -scans "$out/$name-dc-per-component.scans" -restart 3B -outfile "$out/$name-dc-per-component-dri3.jpg" \
    "$original"
  printf '%s\t%s\t%s\n' "$name-dc-per-component-dri3" "$name-dc-per-component-dri3.jpg" "$name.jpg" >> "$progressive"
}
for size in 64x48 33x65 17x17; do
  progressive_set "$out/s420-$size.jpg" "s420-$size" 3
  progressive_set "$out/s422-$size.jpg" "s422-$size" 3
  progressive_set "$out/s444-$size.jpg" "s444-$size" 3
  progressive_set "$out/grey-$size.jpg" "grey-$size" 1
done
progressive_set "$corpus/valid/deb-testorig-440.jpg" corpus-testorig-440 3
progressive_set "$corpus/valid/deb-testorig-411.jpg" corpus-testorig-411 3
progressive_set "$corpus/valid/jd-cmyk-adobe0-444.jpg" corpus-cmyk-444 4
progressive_set "$corpus/valid/jd-cmyk-adobe0-2x2-first.jpg" corpus-cmyk-2x2 4
# libjpeg-turbo's decodes of the corpus's complete progressive files of one
# and three components.
tail -n +2 "$corpus/MANIFEST.tsv" | while IFS=$'\t' read -r path _ _ sof components _ _ _ _ _ progressive _; do
  [[ "$path" == valid/* && "$sof" == 2 && "$progressive" == y ]] || continue
  [[ "$components" == 1 || "$components" == 3 ]] || continue
  reference "$corpus/$path" "$out/corpus-$(basename "$path" .jpg).pnm"
done

# Layouts that only the per-component routine writes, compared with
# libjpeg-turbo like the others.
for size in 64x48 33x65 17x17 7x9; do
  generate "s411-$size" "$size" -sample 4x1
  generate "s440-$size" "$size" -sample 1x2
  generate "s24-$size" "$size" -sample 2x4
  generate "s14-$size" "$size" -sample 1x4
  generate "s31-$size" "$size" -sample 3x1
  generate "s22-21-12-$size" "$size" -sample 2x2,2x1,1x2
done

# Sequential images coded in scans of fewer components than the frame, made
# by jpegtran from an interleaved original with the same coefficients.
# single-scans.tsv lists name, stream, original.
single_scans="$out/single-scans.tsv"
printf 'name\tstream\toriginal\n' > "$single_scans"
# single_scan_set ORIGINAL-NAME: one scan per component (in two orders), and
# the luminance alone followed by both chroma components in one scan.
single_scan_set() {
  local original=$1 kind script
  for kind in each reversed luma-then-chroma each-restart; do
    script="$out/$original-$kind.scans"
    case "$kind" in
      each|each-restart) printf '0;\n1;\n2;\n' > "$script" ;;
      reversed) printf '2;\n0;\n1;\n' > "$script" ;;
      luma-then-chroma) printf '0;\n1 2;\n' > "$script" ;;
    esac
    if [[ "$kind" == each-restart ]]; then
      jpegtran -scans "$script" -restart 1B -outfile "$out/$original-$kind.jpg" "$out/$original.jpg"
    else
      jpegtran -scans "$script" -outfile "$out/$original-$kind.jpg" "$out/$original.jpg"
    fi
    printf '%s\t%s\t%s\n' "$original-$kind" "$original-$kind.jpg" "$original.jpg" >> "$single_scans"
  done
}
for size in 64x48 33x65 17x17 7x9; do
  for layout in s420 s422 s444 s411 s440 s24; do single_scan_set "$layout-$size"; done
done

# Reduced-size reads against libjpeg-turbo's scaled decodes. (A 2x4 layout
# is left out: libjpeg-turbo transforms its chroma one size larger, where
# this decoder does so only for 4:2:0-like layouts.) reduced.tsv lists
# name, stream, scale, reference.
reduced="$out/reduced.tsv"
printf 'name\tstream\tscale\treference\n' > "$reduced"
for stream in s420-64x48 s420-33x65 s422-33x65 s444-33x65 grey-33x65 s411-33x65 s440-33x65 s14-33x65 \
    s31-33x65 s22-21-12-33x65 s420-7x9 s420-1x1 s420-17x17 s422-17x17 rgb-33x65 s420-64x48-restart1 \
    s420-33x65-each s420-33x65-luma-then-chroma s422-7x9-reversed s444-17x17-each-restart; do
  for scale in 2 4 8; do
    djpeg -dct int -nosmooth -scale "1/$scale" -pnm -outfile "$out/$stream-scale$scale.pnm" "$out/$stream.jpg"
    printf '%s\t%s\t%s\t%s\n' "$stream-scale$scale" "$stream.jpg" "$scale" "$stream-scale$scale.pnm" >> "$reduced"
  done
done

# Region reads: a tall, narrow image in one scan per component, whose scans
# together have more MCU rows than the region index has entries.
synthesise 8 65000 "$out/picture-tall.ppm"
cjpeg -sample 1x1 -outfile "$out/tall-444.jpg" "$out/picture-tall.ppm"
rm "$out/picture-tall.ppm"
printf '0;\n1;\n2;\n' > "$out/tall-444-each.scans"
jpegtran -scans "$out/tall-444-each.scans" -outfile "$out/tall-444-each.jpg" "$out/tall-444.jpg"

# The corpus's sequential one- and three-component files (libjpeg-turbo
# writes no four-component PNM).
tail -n +2 "$corpus/MANIFEST.tsv" | while IFS=$'\t' read -r path _ _ sof components _; do
  [[ "$path" == valid/* && ( "$sof" == 0 || "$sof" == 1 ) ]] || continue
  [[ "$components" == 1 || "$components" == 3 ]] || continue
  name=$(basename "$path" .jpg)
  reference "$corpus/$path" "$out/corpus-$name.pnm"
done
echo "make_oracle.sh: $(($(wc -l < "$cases") - 1)) cases in $out"
