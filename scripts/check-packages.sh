#!/usr/bin/env bash
# A packager's build and the packages a user installs, checked as a user
# meets them:
#   - plain CMake (no preset), Release, the Makefile generator, warnings as
#     errors; its tests run;
#   - cpack: the .deb (lintian: no errors) and the .tar.gz, and the Windows
#     .zip from the cross build (build/windows, made by the windows preset);
#   - the .deb installed with dpkg (unpacked instead when not root), the
#     .tar.gz unpacked into a temporary prefix, the .zip into an empty folder
#     run under wine: talmo --version, info, parse and check on a shipped
#     sample from outside the build tree;
#   - the stand-in host library nowhere on the default library path, and
#     nothing left behind by dpkg -r.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
version=$(sed -n 's/^project(TALMOparser VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
build=build/release
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "check-packages: $*" >&2; exit 1; }
# expect NAME ACTUAL EXPECTED
expect() { [ "$2" == "$3" ] || fail "$1: expected
$3
got
$2"; }

echo "--- plain Release build ($build)"
cmake -S . -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release -DTALMO_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" -j "$(nproc)" --output-on-failure -LE valgrind
(cd "$build" && cpack -G DEB && cpack -G TGZ) >/dev/null
deb=$build/talmoparser_${version}_amd64.deb
tgz=$build/talmoparser-${version}-Linux-x86_64.tar.gz
zip=build/windows/talmoparser-${version}-win64.zip
(cd build/windows && cpack -G ZIP) >/dev/null
for p in "$deb" "$tgz" "$zip"; do [ -f "$p" ] || fail "no package $p"; done
ls -l "$deb" "$tgz" "$zip"

echo "--- lintian"
lintian --fail-on error "$deb"

table="  NAME        TYPE       VALUE
  DATATYPE    character  X12
  CLASS       character  NEXT
  CONTROLNUM  integer    123
  DATE        date       2002-03-15
  TIME        time       10:15:30
  header: 71 bytes, closed by \";\"
  next parser: NEXT
  body: 451 bytes"

# check_talmo PREFIX RUNNER...: the installed talmo in PREFIX, run from an
# empty folder.
check_talmo() {
  local prefix=$1 exe=$2
  shift 2
  local samples=$prefix/share/doc/talmoparser/samples
  mkdir -p "$work/cwd" && cd "$work/cwd"
  expect "talmo --version" "$("$@" "$exe" --version)" "talmo $version"
  local info
  info=$("$@" "$exe" info)
  grep -Eq '^plug-in: .*lib[/\\]talmo[/\\](TALMOparser\.lil|TALMOParser\.dll)$' <<<"$info" ||
    fail "talmo info: plug-in not found where installed: $info"
  grep -qx "version: $version" <<<"$info" || fail "talmo info: version: $info"
  expect "talmo parse" "$("$@" "$exe" parse "$samples/x12-overview.msg")" \
    "$samples/x12-overview.msg
$table"
  expect "talmo check" "$("$@" "$exe" check "$samples/edifact-all-fields.msg")" \
    "$samples/edifact-all-fields.msg: reads back the same, 0 warnings"
  cd "$src"
}

echo "--- .deb"
if [ "$(id -u)" -eq 0 ]; then
  dpkg -i "$deb" >/dev/null
  check_talmo /usr /usr/bin/talmo
  ldconfig
  ! ldconfig -p | grep -q tessplug || fail "libtessplug is on the default library path"
  for d in /lib /usr/lib /usr/local/lib /lib/x86_64-linux-gnu /usr/lib/x86_64-linux-gnu; do
    [ ! -e "$d/libtessplug.so" ] || fail "libtessplug.so installed in $d"
  done
  files=$(dpkg -L talmoparser)
  dpkg -r talmoparser >/dev/null
  for f in $files; do
    [ -d "$f" ] || [ ! -e "$f" ] || fail "left behind by dpkg -r: $f"
  done
  echo "installed, checked and removed"
else
  dpkg-deb -x "$deb" "$work/deb"
  check_talmo "$work/deb/usr" "$work/deb/usr/bin/talmo"
  echo "not root: unpacked and checked"
fi
dpkg-deb -x "$deb" "$work/deb-tree"
! readelf -d "$work/deb-tree/usr/lib/talmo/TALMOparser.lil" | grep -q 'R.*PATH' ||
  fail "the installed plug-in carries a run path"

echo "--- .tar.gz in a temporary prefix"
mkdir "$work/tgz" && tar -xzf "$tgz" -C "$work/tgz"
check_talmo "$work/tgz/talmoparser-${version}-Linux-x86_64" \
  "$work/tgz/talmoparser-${version}-Linux-x86_64/bin/talmo"

echo "--- .zip under wine, in an empty folder"
mkdir "$work/zip" && (cd "$work/zip" && cmake -E tar xf "$src/$zip")
export WINEDEBUG=-all WINEPREFIX=$src/build/windows/wineprefix
check_talmo "$work/zip/talmoparser-${version}-win64" \
  "$work/zip/talmoparser-${version}-win64/bin/talmo.exe" wine
echo "packages checked"
