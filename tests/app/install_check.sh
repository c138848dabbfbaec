#!/usr/bin/env bash
# Checks what an install puts where, and the Debian package, without
# installing anything on this system.
#   install_check.sh prefix|package BUILD_DIR VERSION
set -euo pipefail
mode=$1 build=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  printf 'FAIL: %b\n' "$*" >&2
  exit 1
}

expected="bin/jacketeer
share/applications/net.jacketeer.Jacketeer.desktop
share/icons/hicolor/scalable/apps/net.jacketeer.Jacketeer.svg
share/man/man1/jacketeer.1.gz
share/metainfo/net.jacketeer.Jacketeer.metainfo.xml"

# Exactly the expected files below the prefix, each valid, and the program
# answering without a display.
check_tree() {
  local prefix=$1 files out
  files=$(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
  [ "$files" = "$expected" ] || fail "installed files:\n$files"

  local desktop=$prefix/share/applications/net.jacketeer.Jacketeer.desktop
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop entry:\n$out"
  [ -z "$out" ] || fail "desktop entry:\n$out"
  grep -qx 'Exec=jacketeer' "$desktop" || fail "Exec is not the program"

  out=$(appstreamcli validate --no-net \
    "$prefix/share/metainfo/net.jacketeer.Jacketeer.metainfo.xml" 2>&1) ||
    fail "metainfo:\n$out"
  out=$(xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/net.jacketeer.Jacketeer.svg" \
    2>&1) || fail "icon:\n$out"
  local page=$prefix/share/man/man1/jacketeer.1.gz
  zcat "$page" | grep -qx ".TH JACKETEER 1 \"\" \"Jacketeer $version\" \"User Commands\"" ||
    fail "manual page header"

  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/jacketeer" --version) ||
    fail "--version failed"
  [ "$out" = "Jacketeer $version" ] || fail "--version printed: $out"
}

case $mode in
prefix)
  cmake --install "$build" --prefix "$work/prefix" >/dev/null
  check_tree "$work/prefix"
  ;;
package)
  (cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
  deb=$work/out/jacketeer_${version}_$(dpkg --print-architecture).deb
  [ -f "$deb" ] || fail "no package: $(ls "$work/out")"
  [ "$(dpkg-deb -f "$deb" Package)" = jacketeer ] || fail "package name"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
  depends=$(dpkg-deb -f "$deb" Depends)
  for needed in libqt6webenginewidgets6 libqt6widgets6 libturbojpeg0 libtag1v5 qt6-image-formats-plugins; do
    grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "$needed missing from: $depends"
  done
  # Runtime libraries only: no development packages, and each one a package
  # that is installed here, so it exists in the distribution.
  for dep in $(sed 's/([^)]*)//g; s/[,|]/ /g' <<<"$depends"); do
    case $dep in *-dev) fail "depends on $dep" ;; esac
    dpkg-query -W -f='${Status}' "$dep" 2>/dev/null | grep -q 'install ok installed' ||
      fail "depends on $dep, which is not a known package"
  done
  dpkg-deb -x "$deb" "$work/root"
  check_tree "$work/root/usr"
  ;;
*)
  fail "unknown mode $mode"
  ;;
esac
echo "PASS: $mode"
