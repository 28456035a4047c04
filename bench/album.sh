#!/usr/bin/env bash
# Album benchmark: 100 camera-like 12-megapixel JPEGs (3-5 MB each) laid out
# as 5 x 5 A4 pages with captions and written as JPEG, once by `quillet
# render` and once by ImageMagick's `montage` with the same page size in
# pixels, tile grid, labels and output format.  Prints both wall times, both
# peak memories and the ratio.
#
#   bench/album.sh [COUNT]      (default 100; the photos are made once and
#                                cached in bench/.cache/photos)
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-100}
root=$PWD
cache=$root/bench/.cache/photos
quillet=$root/build/quillet

need=()
command -v montage >/dev/null 2>&1 && montage -version 2>/dev/null | grep -q ImageMagick || need+=(imagemagick)
[ -x /usr/bin/time ] || need+=(time)
if ((${#need[@]})); then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi
[ -x "$quillet" ] || scripts/build.sh build >/dev/null

# Camera-like photos: smooth shapes (plasma, enlarged) with sensor noise, so
# they compress like real photos, a few bits per pixel.
mkdir -p "$cache"
made=0
for i in $(seq -w 1 "$count"); do
  f=$cache/IMG_$i.jpg
  [ -s "$f" ] && continue
  convert -seed "$((10#$i))" -size 400x300 plasma: -resize '4000x3000!' \
    -attenuate 0.3 +noise Gaussian -quality 90 "$f"
  made=$((made + 1))
done
((made)) && echo "made $made photos in $cache"
photos=("$cache"/IMG_*.jpg)
photos=("${photos[@]:0:$count}")
echo "photos: ${#photos[@]}, $(du -sh "$cache" | cut -f1) in all"

work=$(mktemp -d)
policy_dir=$work/im-policy
restore_policy=""
cleanup() {
  [ -n "$restore_policy" ] && cp "$restore_policy.quillet-bench" "$restore_policy" && rm -f "$restore_policy.quillet-bench"
  rm -rf "$work"
}
trap cleanup EXIT

# Debian's ImageMagick policy caps memory at 256 MiB and disk at 1 GiB, and
# montage of 100 camera photos fails under them: lift the caps for the run.
for p in /etc/ImageMagick-6/policy.xml /etc/ImageMagick-7/policy.xml; do
  if [ -f "$p" ]; then
    cp "$p" "$p.quillet-bench"
    restore_policy=$p
    sed -i -E 's/(name="(memory|map)" value=")[^"]*"/\18GiB"/; s/(name="disk" value=")[^"]*"/\116GiB"/;
               s/(name="(width|height)" value=")[^"]*"/\164KP"/; s/(name="area" value=")[^"]*"/\11GP"/' "$p"
    break
  fi
done

measure() { # label, command...: wall seconds and peak resident set in MB
  local label=$1; shift
  local stats=$work/$label.time
  /usr/bin/time -f '%e %M' -o "$stats" "$@" >"$work/$label.out" 2>"$work/$label.err" || {
    echo "$label failed:"; tail -5 "$work/$label.err"; exit 1; }
  read -r seconds kb <"$stats"
  echo "$label $seconds $((kb / 1024))"
}

# A4 at 0.1 mm per pixel is 2100 x 2970.  montage's page is its tiles:
# 5 x (410 + 2 x 5) = 2100 wide, 5 x (543 + 2 x 5 + a 41-pixel label (7 pt at 300 dpi)) = 2970
# high, and jpeg:size lets it decode each photo at about twice its tile.
mkdir -p "$work/montage"
q=$(measure quillet "$quillet" render --out "$work/quillet" --rows 5 --columns 5 --format jpg "${photos[@]}")
m=$(measure montage montage -define jpeg:size=820x1086 -label '%t' -pointsize 7 \
      -tile 5x5 -geometry 410x543+5+5 -quality 75 -density 300 \
      "${photos[@]}" "$work/montage/page-%d.jpg")
read -r _ qs qm <<<"$q"
read -r _ ms mm <<<"$m"
qpages=$(wc -l <"$work/quillet.out")
msize=$(identify -format '%wx%h' "$work/montage/page-0.jpg")
qsize=$(identify -format '%wx%h' "$(head -1 "$work/quillet.out")")
mpages=$(ls "$work/montage" | wc -l)
echo
printf '%-10s %8s %10s %6s %10s\n' tool seconds 'peak MB' pages 'page size'
printf '%-10s %8s %10s %6s %10s\n' quillet "$qs" "$qm" "$qpages" "$qsize"
printf '%-10s %8s %10s %6s %10s\n' montage "$ms" "$mm" "$mpages" "$msize"
awk -v q="$qs" -v m="$ms" 'BEGIN { printf "montage / quillet: %.1f x\n", (q > 0 ? m / q : 0) }'
