#!/usr/bin/env bash
# The bash completion offers the commands, every option that `quillet --help`
# lists (render's and print's together), the values of options with a fixed
# set, and folders or files where a path is wanted.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
quillet=$1
completion=$2
make_scratch

# shellcheck source=/dev/null
source "$completion" || fail "$completion does not load"

# Completes the last of the given words, as bash would after TAB.
completions()
{
    COMP_WORDS=(quillet "$@")
    COMP_CWORD=$#
    COMP_LINE="quillet $*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _quillet 2>/dev/null
    ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect()
{
    local what=$1 got=$2 wanted=$3
    [ "$got" = "$wanted" ] || fail "$what: got [$(echo $got)], wanted [$(echo $wanted)]"
}
lines()
{
    printf '%s\n' "$@"
}

expect commands "$(completions '')" "$(lines --help help print render)"
expect 'commands from r' "$(completions r)" render

# The usage text does not list --help itself.
help_options=$({ "$quillet" --help; echo --help; } | grep -oE -- '--[a-z][a-z0-9-]*[a-z0-9]' | sort -u)
[ -n "$help_options" ] || fail "quillet --help lists no option"
offered=$( (completions render --; completions print --) | sort -u)
expect 'options of render and print' "$offered" "$help_options"
completions render -- | grep -qx -- --printer && fail "render is offered --printer, which it refuses"
completions print -- | grep -qx -- --out && fail "print is offered --out, which it refuses"

expect --format "$(completions render --format '')" "$(lines bmp gif jpeg jpg png tif tiff)"
expect '--format=p' "$(completions render --format = p)" png
expect --header-align "$(completions render --header-align '')" "$(lines center left right)"
expect --fit "$(completions render --fit '')" "$(lines 0 1 2 3 4 5)"
expect --rows "$(completions render --rows '')" ""

mkdir "$scratch/相册" "$scratch/my photos"
touch "$scratch/a.jpg" "$scratch/b.HEIC" "$scratch/c.webp" "$scratch/notes.txt"
expect '--out (folders only)' "$(completions render --out "$scratch/")" \
    "$(lines "$scratch/my photos" "$scratch/相册")"
expect 'inputs (pictures and folders)' "$(completions print --pdf x.pdf "$scratch/")" \
    "$(lines "$scratch/a.jpg" "$scratch/b.HEIC" "$scratch/c.webp" "$scratch/my photos" "$scratch/相册")"
expect 'after --' "$(completions render --out o -- "$scratch/a")" "$scratch/a.jpg"
echo "bash completion: $(wc -l <<<"$help_options") options, values and paths as expected"
