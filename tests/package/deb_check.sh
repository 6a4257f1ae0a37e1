#!/usr/bin/env bash
# Builds the Debian package of a build folder with CPack and checks it as a user's machine would
# see it: the files it installs, the desktop entry and the software centre's description pass
# their validators, and quivra-cli unpacked from it reads the demo institution it ships.
# Usage: deb_check.sh BUILD_DIR. Exits 77 (skipped) when a packaging tool is missing.
set -euo pipefail
build="$1"

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    exit 1
}
deb="$(ls "$work"/out/*.deb)"
echo "package: $(basename "$deb")"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'

failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}

dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
for path in \
    /usr/bin/quivra \
    /usr/bin/quivra-cli \
    /usr/share/quivra/english.cfw \
    /usr/share/quivra/demo.qvf \
    /usr/share/quivra/help/index.html \
    /usr/share/applications/quivra.desktop \
    /usr/share/icons/hicolor/scalable/apps/quivra.svg \
    /usr/share/icons/hicolor/32x32/apps/quivra.png \
    /usr/share/mime/packages/quivra.xml \
    /usr/share/metainfo/org.quivra.Quivra.metainfo.xml; do
    grep -qx "$path" "$work/contents" || fail "the package does not install $path"
done
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || fail "Depends does not name Qt"
# A maintainer with a name and an address, not a placeholder on the build machine.
dpkg-deb --field "$deb" Maintainer | grep -Eq '^[^<]+ <[^@>]+@[^>]+>$' ||
    fail "Maintainer is not a name and an address"
dpkg-deb --field "$deb" Maintainer | grep -q localhost && fail "Maintainer is on localhost"

root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/quivra.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.quivra.Quivra.metainfo.xml" ||
    fail "metainfo"
xmllint_ok=1
if command -v xmllint >/dev/null; then
    xmllint --noout "$root/usr/share/mime/packages/quivra.xml" || xmllint_ok=0
fi
[ "$xmllint_ok" = 1 ] || fail "MIME types are not well-formed XML"

"$root/usr/bin/quivra-cli" info "$root/usr/share/quivra/demo.qvf" >"$work/info.txt" ||
    fail "quivra-cli info on the installed demo"
cat "$work/info.txt"
# The desktop program answers without a display.
"$root/usr/bin/quivra" --list-commands >/dev/null || fail "quivra --list-commands"

exit "$failed"
