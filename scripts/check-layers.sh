#!/usr/bin/env bash
# Checks that every include in src/ points down the layers: a file of
# src/FOLDER may include its own folder and the folders FOLDER links against,
# directly or through them, and nothing above.  Generated Designer headers
# (ui_*.h) count as the widgets layer.  The layers come from src/CMakeLists.txt
# as arguments FOLDER:DEP,DEP,...
#
#   scripts/check-layers.sh SRC_DIR textfiles: codecs:textfiles widgets:textfiles ...
set -euo pipefail
src=$1; shift
declare -A direct below
for layer in "$@"; do
  direct[${layer%%:*}]=${layer#*:}
done

# Everything a folder may reach: its dependencies, theirs, and so on.
reach() {
  local folder=$1 dep out=""
  for dep in ${direct[$folder]//,/ }; do
    out+=" $dep $(reach "$dep")"
  done
  echo "$out"
}
for folder in "${!direct[@]}"; do
  below[$folder]=" $(reach "$folder" | tr ' ' '\n' | sort -u | tr '\n' ' ') "
done

status=0
for folder in "${!direct[@]}"; do
  [ -d "$src/$folder" ] || continue
  while IFS=: read -r file line text; do
    target=$(sed -E 's/^#include "([^"]+)".*/\1/' <<<"$text")
    if [[ $target == ui_*.h ]]; then
      used=widgets
    elif [[ $target == */* ]]; then
      used=${target%%/*}
    else
      continue
    fi
    [ -n "${direct[$used]+set}" ] || continue  # not one of our folders
    if [ "$used" != "$folder" ] && [[ ${below[$folder]} != *" $used "* ]]; then
      echo "${file#"$src"/}:$line: $folder includes $target from the $used layer, which is not below it"
      status=1
    fi
  done < <(grep -HnE '^#include "' "$src/$folder"/*.{h,cpp} 2>/dev/null || true)
done
[ $status -eq 0 ] && echo "every include in $src points down the layers"
exit $status
