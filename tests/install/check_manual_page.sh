#!/usr/bin/env bash
# The manual page renders with man -l without a groff warning, documents
# exactly the options `quillet --help` lists, and its exit codes are the ones
# the program really returns.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need_tools man
quillet=$1
page=$2
make_scratch

MANWIDTH=100 man --warnings -l "$page" >"$scratch/page.txt" 2>"$scratch/warnings" ||
    fail "man -l cannot render $page: $(cat "$scratch/warnings")"
[ ! -s "$scratch/warnings" ] || fail "groff warns about $page: $(cat "$scratch/warnings")"
for section in NAME SYNOPSIS DESCRIPTION OPTIONS 'EXIT STATUS' EXAMPLES; do
    grep -qx "$section" "$scratch/page.txt" || fail "no $section section in $page"
done

long_options()
{
    grep -oE -- '--[a-z][a-z0-9-]*[a-z0-9]' | sort -u
}
# The usage text does not list --help itself.
{ "$quillet" --help; echo --help; } | long_options >"$scratch/help-options"
long_options <"$scratch/page.txt" >"$scratch/page-options"
[ -s "$scratch/help-options" ] || fail "quillet --help lists no option"
diff -u --label 'quillet --help' --label "$page" "$scratch/help-options" "$scratch/page-options" ||
    fail "the manual page and quillet --help name different options"

# The EXIT STATUS section lists 0, 1 and 2; check each against a real run.
sed -n '/^EXIT STATUS$/,/^[A-Z]/p' "$scratch/page.txt" | grep -oE '^ +[0-9]+ ' | tr -d ' ' \
    >"$scratch/codes"
[ "$(tr '\n' ' ' <"$scratch/codes")" = "0 1 2 " ] ||
    fail "EXIT STATUS lists $(tr '\n' ' ' <"$scratch/codes")instead of 0 1 2"
exit_code()
{
    local code=0
    "$quillet" "$@" >/dev/null 2>&1 || code=$?
    echo "$code"
}
mkdir "$scratch/empty"
[ "$(exit_code --help)" = 0 ] || fail "quillet --help does not exit 0"
[ "$(exit_code render --out "$scratch/out" "$scratch/empty")" = 1 ] ||
    fail "a folder without pictures does not exit 1"
[ "$(exit_code render --rows)" = 2 ] || fail "an option without its value does not exit 2"
[ "$(exit_code render --out "$scratch/out" "$scratch/missing")" = 2 ] ||
    fail "a missing input does not exit 2"
echo "manual page: renders; $(wc -l <"$scratch/page-options") options as in --help; exit codes 0 1 2"
