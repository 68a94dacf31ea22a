#!/usr/bin/env bash
# An install into a scratch prefix, started as a user would start it from the menu: where the
# settings, the masters and the ledgers land, and that a ledger there loads at the next start.
# Usage: install_test.sh <build folder> <the built program>
set -euo pipefail
build=$1
program=$2
scratch=$(mktemp -d /tmp/kakeibo-install-XXXXXX)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
expected="bin/kakeibo
lib/kakeibo/kakeibo_graph.so
lib/kakeibo/kakeibo_print.so
share/applications/org.nimbrel.Kakeibo.desktop
share/icons/hicolor/64x64/apps/org.nimbrel.Kakeibo.png
share/icons/hicolor/scalable/apps/org.nimbrel.Kakeibo.svg
share/kakeibo/hojyo.dat
share/kakeibo/kamoku.dat
share/metainfo/org.nimbrel.Kakeibo.metainfo.xml
share/mime/packages/org.nimbrel.Kakeibo.xml"
[ "$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)" = "$expected" ] ||
  fail "installed files differ: $(cd "$prefix" && find . -type f)"
desktop-file-validate "$prefix/share/applications/org.nimbrel.Kakeibo.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.nimbrel.Kakeibo.metainfo.xml" >/dev/null

# Without a display: help and version on standard output, a mistake on standard error.
bare() { env -i PATH=/usr/bin:/bin HOME="$scratch/home0" "$prefix/bin/kakeibo" "$@"; }
bare --help | head -n 1 | grep -q '^使い方: kakeibo ' || fail "--help: $(bare --help 2>&1)"
version=$(sed -n 's/.*kVersion = "\(.*\)";/\1/p' "$build/generated/core/version.h")
[ -n "$version" ] || fail "no version in $build/generated/core/version.h"
[ "$(bare -platform offscreen --version)" = "kakeibo (Nimbrelの家計簿) $version" ] ||
  fail "--version: $(bare --version 2>&1)"
rc=0
bare --frob >"$scratch/out" 2>"$scratch/err" || rc=$?
[ $rc -eq 2 ] && [ ! -s "$scratch/out" ] && [ "$(wc -l <"$scratch/err")" -eq 1 ] &&
  grep -q "'--frob'" "$scratch/err" || fail "--frob: status $rc, $(cat "$scratch/err")"
[ ! -e "$scratch/home0" ] || fail "the program without a window wrote into the home folder"

# A desktop that has these files: a .nbd file is a ledger, shown with the program's icon, and
# opens with the program. The databases are built in a scratch data folder, as the system's
# triggers build them in /usr/share.
xdg=$scratch/xdg
mkdir -p "$xdg/mime/packages" "$xdg/applications"
cp "$prefix/share/mime/packages/org.nimbrel.Kakeibo.xml" "$xdg/mime/packages/"
cp "$prefix/share/applications/org.nimbrel.Kakeibo.desktop" "$xdg/applications/"
on_desktop() {
  env -i PATH="$prefix/bin:/usr/bin:/bin" HOME="$scratch/home0" XDG_DATA_HOME="$xdg" \
    XDG_DATA_DIRS="$scratch/none" XDG_CONFIG_HOME="$scratch/home0/config" "$@"
}
mime_errors=$(on_desktop update-mime-database "$xdg/mime" 2>&1) ||
  fail "update-mime-database: $mime_errors"
[ -z "$mime_errors" ] || fail "update-mime-database complains: $mime_errors"
update-desktop-database "$xdg/applications"
printf '2026,3,2,2,0,0,0,700,0,,\r\n' >"$scratch/家計簿.nbd"
info=$(on_desktop gio info -a standard::content-type,standard::icon "$scratch/家計簿.nbd")
grep -q 'standard::content-type: application/x-nimbrel-kakeibo$' <<<"$info" ||
  fail "a .nbd file is not a ledger: $info"
grep -q 'standard::icon: org.nimbrel.Kakeibo,' <<<"$info" || fail "no program icon: $info"
handler=$(on_desktop gio mime application/x-nimbrel-kakeibo)
grep -q 'Default application .*: org.nimbrel.Kakeibo.desktop$' <<<"$handler" ||
  fail "ledgers do not open with the program: $handler"
for comment in '<comment>' '<comment xml:lang="ja">'; do
  grep -q "$comment" "$xdg/mime/packages/org.nimbrel.Kakeibo.xml" || fail "no $comment"
done
grep -q '<mediatype>application/x-nimbrel-kakeibo</mediatype>' \
  "$prefix/share/metainfo/org.nimbrel.Kakeibo.metainfo.xml" || fail "AppStream lacks the type"

# Root may write anywhere, so the read-only bin/ is tried by an unprivileged user.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || { echo "SKIP: running as root without setpriv"; exit 77; }
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
chmod -R a+rX "$scratch"
chmod a-w "$prefix/bin"

home=$scratch/home
config=$home/config
mkdir -p "$config"
# A Japanese desktop names the documents folder in user-dirs.dirs.
printf 'XDG_DOCUMENTS_DIR="$HOME/ドキュメント"\n' >"$config/user-dirs.dirs"
[ "$(id -u)" -eq 0 ] && chown -R 65534:65534 "$home"

start() {  # <program> <home> <config>: starts offscreen and quits once the windows are up
  local rc=0
  env -i PATH=/usr/bin:/bin HOME="$2" XDG_CONFIG_HOME="$3" QT_QPA_PLATFORM=offscreen \
    KAKEIBO_QUIT_AFTER_START=1 timeout 30 "${as_user[@]}" "$1" 2>/dev/null || rc=$?
  # A message box (a missing master or ledger) keeps an offscreen program waiting.
  [ $rc -ne 124 ] || fail "$1 stopped at a message box"
  [ $rc -eq 0 ] || fail "$1 ended with status $rc"
}

start "$prefix/bin/kakeibo" "$home" "$config"
folder=$config/kakeibo
data=$home/ドキュメント/家計簿
[ -d "$data" ] || fail "no 家計簿 in the documents folder"
cmp "$folder/kamoku.dat" "$prefix/share/kakeibo/kamoku.dat"
cmp "$folder/hojyo.dat" "$prefix/share/kakeibo/hojyo.dat"
# Two lines: the data folder and 新規作成, in Shift-JIS with CR LF.
cmp "$folder/rozed.ini" <(printf '%s/\r\n新規作成\r\n' "$data" | iconv -f UTF-8 -t CP932)
[ -z "$(ls -A "$prefix/bin" | grep -v '^kakeibo$')" ] || fail "files written beside the program"

# A ledger in the data folder, named by the settings, loads at the next start.
printf '2026,3,2,2,0,0,0,700,0,,\r\n' >"$data/kakei.nbd"
printf '0\r\n0\r\n0\r\n15000\r\n' >"$data/kakeiy.dat"
{ head -n 1 "$folder/rozed.ini"; printf 'kakei\r\n'; } >"$folder/rozed.new"
mv "$folder/rozed.new" "$folder/rozed.ini"
[ "$(id -u)" -eq 0 ] && chown -R 65534:65534 "$home"
start "$prefix/bin/kakeibo" "$home" "$config"

# A layout that shows the graph sheet: the installed program loads the sheet's module as it
# starts (a module it cannot load stops it at an error box).
{ head -n 2 "$folder/rozed.ini"
  printf '30\r\n30\r\nFalse\r\n1,427,81,483,583,1,700,90,350,640,1,0,81,618,425,\r\n'
} >"$folder/rozed.new"
mv "$folder/rozed.new" "$folder/rozed.ini"
[ "$(id -u)" -eq 0 ] && chown -R 65534:65534 "$home"
start "$prefix/bin/kakeibo" "$home" "$config"

# An install its user may write to (~/.local, or root's) still keeps bin/ clean.
chmod u+w "$prefix/bin"
as_user=()
start "$prefix/bin/kakeibo" "$scratch/home2" "$scratch/home2/.config"
[ -f "$scratch/home2/.config/kakeibo/rozed.ini" ] || fail "writable install: no settings in ~/.config"
[ -d "$scratch/home2/Documents/家計簿" ] || fail "writable install: no ~/Documents/家計簿"
[ "$(ls -A "$prefix/bin")" = kakeibo ] || fail "writable install: files written beside the program"

# A portable copy (masters beside a writable program) keeps everything beside itself.
portable=$scratch/portable
mkdir -p "$portable"
cp "$program" "$build/bin/kamoku.dat" "$build/bin/hojyo.dat" "$portable/"
start "$portable/kakeibo" "$scratch/home3" "$scratch/home3/.config"
cmp "$portable/rozed.ini" <(printf '%s/\r\n新規作成\r\n' "$portable" | iconv -f UTF-8 -t CP932)
[ ! -e "$scratch/home3/.config/kakeibo" ] && [ ! -e "$scratch/home3/Documents" ] ||
  fail "portable copy wrote into the user's folders"
# `make install` into a prefix of its own refreshes the desktop's databases there, so a
# double-clicked ledger opens in the program at once; a staged install (DESTDIR) leaves them.
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
for staged in "" "$scratch/stage"; do
  made=$scratch/made
  rm -rf "$made" "$scratch/stage"
  make -s -C "$source_dir" -o build -o configure -o deps install BUILD="$build" \
    PREFIX="$made" DESTDIR="$staged" >/dev/null
  root=$staged$made
  [ -x "$root/bin/kakeibo" ] || fail "make install DESTDIR=$staged: no program in $root"
  if [ -z "$staged" ]; then
    grep -q 'application/x-nimbrel-kakeibo' "$made/share/mime/globs2" ||
      fail "make install: the MIME database does not know .nbd"
    grep -q 'application/x-nimbrel-kakeibo=org.nimbrel.Kakeibo.desktop' \
      "$made/share/applications/mimeinfo.cache" || fail "make install: no desktop cache"
  else
    [ ! -e "$root/share/mime/globs2" ] && [ ! -e "$root/share/applications/mimeinfo.cache" ] ||
      fail "a staged install built the databases"
  fi
done

echo "PASS"
