#!/usr/bin/env bash
# The Debian package `make package` builds: what it installs and what it asks apt to bring.
# Usage: package_test.sh <build folder> <source folder>
set -euo pipefail
build=$1
source=$2
scratch=$(mktemp -d /tmp/kakeibo-package-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >/dev/null
debs=("$scratch"/out/kakeibo_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single kakeibo_*.deb: ${debs[*]}"
deb=${debs[0]}

# Qt's libraries (t64 names on newer Debian; Charts and PrintSupport for the modules), its
# platform plugins and the fonts the windows ask for; without any of them the program does not
# come up on a fresh desktop.
depends=$(dpkg-deb -f "$deb" Depends)
for want in 'libqt6core6(t64)?' 'libqt6gui6(t64)?' 'libqt6widgets6(t64)?' 'libstdc\+\+6' \
            'libqt6charts6(t64)?' 'libqt6printsupport6(t64)?' \
            'qt6-qpa-plugins' 'fonts-ipafont-gothic'; do
  grep -Eq "(^|, )$want( |,|$)" <<<"$depends" || fail "Depends lacks $want: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = kakeibo ] || fail "package name"
# The version of project(), as the generated header states it for the program.
version=$(sed -n 's/.*kVersion = "\(.*\)";/\1/p' "$build/generated/core/version.h")
[ -n "$version" ] || fail "no version in $build/generated/core/version.h"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version)"

dpkg-deb -x "$deb" "$scratch/root"
expected="usr/bin/kakeibo
usr/lib/kakeibo/kakeibo_graph.so
usr/lib/kakeibo/kakeibo_print.so
usr/share/applications/org.nimbrel.Kakeibo.desktop
usr/share/icons/hicolor/64x64/apps/org.nimbrel.Kakeibo.png
usr/share/icons/hicolor/scalable/apps/org.nimbrel.Kakeibo.svg
usr/share/kakeibo/hojyo.dat
usr/share/kakeibo/kamoku.dat
usr/share/metainfo/org.nimbrel.Kakeibo.metainfo.xml
usr/share/mime/packages/org.nimbrel.Kakeibo.xml"
actual=$(cd "$scratch/root" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$expected" ] || fail "package files differ: $actual"
[ -x "$scratch/root/usr/bin/kakeibo" ] || fail "program not executable"
cmp "$scratch/root/usr/share/kakeibo/kamoku.dat" "$source/data/kamoku.dat"
cmp "$scratch/root/usr/share/kakeibo/hojyo.dat" "$source/data/hojyo.dat"
grep -q "<release version=\"$version\"" \
  "$scratch/root/usr/share/metainfo/org.nimbrel.Kakeibo.metainfo.xml" || fail "AppStream release"
echo "PASS"
