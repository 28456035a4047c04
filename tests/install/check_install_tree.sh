#!/usr/bin/env bash
# `cmake --install` into a scratch prefix puts exactly the expected files in
# place; the icons have their sizes, the menu entry's command and icon and the
# metainfo's launchable name installed files, and the installed program runs.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need_tools cmake desktop-file-validate od
build=$1
expected=$2
make_scratch
prefix=$scratch/prefix

cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
    fail "cmake --install failed: $(cat "$scratch/install.log")"
(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) >"$scratch/installed"
LC_ALL=C sort "$expected" | diff -u --label expected --label installed - "$scratch/installed" ||
    fail "cmake --install put other files in place than expected"

# PNG: the width and height are the two big-endian words after "IHDR".
for size in 48 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/quillet.png
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
    read -r width height < <(od -An -tu4 --endian=big -j16 -N8 "$png")
    [ "$width x $height" = "$size x $size" ] || fail "$png is $width x $height, not $size x $size"
done

entry=$prefix/share/applications/quillet.desktop
desktop-file-validate "$entry" || fail "the installed menu entry is not valid"
command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ -x "$prefix/bin/$command" ] || fail "Exec names $command, which is not installed in bin/"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon names $icon, which has no SVG"

metainfo=$(ls "$prefix"/share/metainfo/*.metainfo.xml)
launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
[ -f "$prefix/share/applications/$launchable" ] || fail "the metainfo launches $launchable, which is not installed"
binary=$(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo")
[ -x "$prefix/bin/$binary" ] || fail "the metainfo provides $binary, which is not installed"

"$prefix/bin/quillet" --help >"$scratch/help" 2>&1 || fail "the installed quillet --help fails"
grep -q 'quillet render' "$scratch/help" || fail "the installed quillet prints no usage"
echo "install tree: $(wc -l <"$scratch/installed") files as expected; icons 48, 128, 256; entry, metainfo and program agree"
