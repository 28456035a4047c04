#!/usr/bin/env bash
# `cpack -G DEB` builds quillet_<version>_<arch>.deb in a scratch folder: it
# holds exactly the expected files under /usr, owned by root; its Depends,
# made by dpkg-shlibdeps, names the libraries the program links; and the
# program unpacked from it runs.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need_tools cpack dpkg-deb dpkg-shlibdeps dpkg-architecture file readelf
build=$1
expected=$2
version=$3
make_scratch

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$scratch/cpack.log")"
debs=("$scratch"/quillet_"$version"_*.deb)
[ -f "${debs[0]}" ] && [ ${#debs[@]} -eq 1 ] || fail "no single quillet_${version}_*.deb: $(ls "$scratch")"
deb=${debs[0]}

dpkg-deb -c "$deb" >"$scratch/contents" || fail "dpkg-deb cannot list $deb"
awk '$1 !~ /^d/ { print $6 }' "$scratch/contents" >"$scratch/paths"
grep -v '^\./usr/' "$scratch/paths" && fail "files outside /usr"
sed 's|^\./usr/||' "$scratch/paths" | LC_ALL=C sort >"$scratch/packaged"
LC_ALL=C sort "$expected" | diff -u --label expected --label packaged - "$scratch/packaged" ||
    fail "the package holds other files than expected"
awk '$2 != "root/root"' "$scratch/contents" | grep . && fail "entries not owned by root"

[ "$(dpkg-deb -f "$deb" Package)" = quillet ] || fail "the package is not named quillet"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package version is not $version"
dpkg-deb -x "$deb" "$scratch/root"
program=$scratch/root/usr/bin/quillet

# Every library the program needs comes from a package that Depends names.
depends=$(dpkg-deb -f "$deb" Depends)
needed=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ -n "$needed" ] || fail "readelf finds no needed library in $program"
# Only the library of this architecture counts (libc6-i386 has a libm.so.6 too).
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for soname in $needed; do
    package=$(dpkg -S "*/$soname" 2>/dev/null | grep "/$multiarch/$soname\$" | head -n 1 | sed 's/[:,].*//')
    [ -n "$package" ] || fail "no installed package holds $soname"
    [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] ||
        fail "Depends lacks $package, which holds $soname: $depends"
done

"$program" --help >/dev/null 2>&1 || fail "the packaged quillet --help fails"
echo "package: $(basename "$deb"), $(wc -l <"$scratch/packaged") files; Depends: $depends"
