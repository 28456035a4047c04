#!/usr/bin/env bash
# Without a display, ./run shows what Quillet does by rendering the bundled
# sample album (samples/) to page images.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${QUILLET_SAMPLE_OUT:-$PWD/out/sample-album}
mkdir -p "$out"
echo "没有图形界面：把示例相册渲染成图片文件。/ No display: rendering the sample album to page images."
./build/quillet render --out "$out" --recursive --by-category --rows 3 --columns 2 \
  --header "&f  第&p页/共&a页" --footer "&y-&m-&d" samples
echo "页面已写入 / pages written to: $out"
echo "有图形界面时 ./run 会打开窗口。/ With a display, ./run opens the window."
