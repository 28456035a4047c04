#!/usr/bin/env bash
# The menu entry passes desktop-file-validate without an error or warning and
# carries the names, categories, command, icon and the file types for "Open
# with Quillet" that menus and file managers show.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need_tools desktop-file-validate
entry=$1

remarks=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate rejects $entry: $remarks"
# Hints are advice (it would like Printing, a printer-tool category, paired
# with Settings); errors and warnings are not accepted.
grep -E '(error|warning):' <<<"$remarks" && fail "desktop-file-validate objects to $entry"

value()
{
    sed -n "s/^$1=//p" "$entry"
}
# Folders and pictures opened from a file manager arrive as arguments.
[ "$(value Exec)" = "quillet %F" ] || fail "Exec is '$(value Exec)', not 'quillet %F'"
mimeTypes=";$(value MimeType)"
for type in image/jpeg image/bmp image/gif image/png image/tiff image/webp image/heic image/heif \
    image/avif inode/directory; do
    [[ $mimeTypes == *";$type;"* ]] || fail "MimeType lacks $type: $mimeTypes"
done
[ "$(value Icon)" = quillet ] || fail "Icon is '$(value Icon)', not quillet"
[ "$(value Name)" = Quillet ] || fail "Name is '$(value Name)', not Quillet"
[ "$(value GenericName)" = 相册打印 ] || fail "GenericName is '$(value GenericName)', not 相册打印"
# A Chinese name and comment: at least one character outside ASCII each.
for key in 'Name\[zh_CN\]' 'Comment\[zh_CN\]'; do
    value "$key" | LC_ALL=C grep -q '[^ -~]' || fail "no Chinese text in ${key//\\/}"
done
categories=";$(value Categories)"
for category in Graphics Photography Printing; do
    [[ $categories == *";$category;"* ]] || fail "Categories lacks $category: $categories"
done
echo "desktop entry: valid, $(value Categories)"
