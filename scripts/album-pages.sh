#!/usr/bin/env bash
# Renders a fixed album of page files with `quillet render`, one folder per
# case: the six fit modes, captions, header and footer, a landscape job,
# JPEG, PNG and BMP pages, a job without captions.  Page files carry the
# date and time in their names, so each case also lists its pages in order
# (pages.txt), which is how two renderings of the album are paired page by
# page (tests/app/album_pages_test.cpp compares them).
#
#   scripts/album-pages.sh OUTDIR [QUILLET]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$1
quillet=${2:-$root/build/quillet}
samples=$root/samples
mkdir -p "$out"

# Photos of the samples plus one small picture, whose natural size fits a cell.
pictures=("$samples"/城市/*.jpg "$samples"/山水/*.jpg "$root/tests/data/album/small_natural.png")

render() { # case name, options...
  local name=$1; shift
  rm -rf "${out:?}/$name"
  mkdir -p "$out/$name"
  "$quillet" render --out "$out/$name" --optimize 0 "$@" "${pictures[@]}" >"$out/$name/pages.txt"
}

for fit in 0 1 2 3 4 5; do
  render "fit$fit" --fit "$fit" --rows 3 --columns 2 --format png \
    --header "第&p页/共&a页" --footer "&f 相册" --header-align left --footer-align right
done
render landscape_jpeg --landscape --rows 2 --columns 3 --format jpg --header "横向 &p/&a" --footer "页脚"
render portrait_bmp --rows 4 --columns 4 --format bmp --caption-gap 10 --row-gap 30 --column-gap 25
render no_captions_png --no-captions --rows 2 --columns 2 --format png --fit 3 --header "&p"
