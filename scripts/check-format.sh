#!/usr/bin/env bash
# Fails when a C++ file of the project is not formatted as .clang-format says.
#
#   scripts/check-format.sh [ROOT]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
    'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h' 2>/dev/null ||
    find src tests bench fuzz -name '*.cpp' -o -name '*.h')
if ((${#files[@]} == 0)); then
    mapfile -t files < <(find src tests bench fuzz -name '*.cpp' -o -name '*.h')
fi
clang-format --dry-run --Werror "${files[@]}"
echo "${#files[@]} files formatted as .clang-format says"
