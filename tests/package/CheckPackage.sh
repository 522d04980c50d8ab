#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks what lands there,
# validates the desktop entry, the metainfo and the manual pages, then packs
# the build with `cpack -G DEB` as a packager would and has lintian judge it.
#
#   CheckPackage.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
fail=0
problem() {
    echo "FAILED: $*" >&2
    fail=1
}
missing_tool() {
    echo "not checked, $1 is not installed: $2"
}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage/root" cmake --install "$build" --prefix /usr > "$stage/install.log"
root=$stage/root

# Exactly these files, and nothing else: no cache may be generated under DESTDIR.
expected=(
    usr/bin/orv
    usr/bin/orv-cli
    usr/share/applications/com.tarveline.orv.desktop
    usr/share/doc/orv/changelog.gz
    usr/share/doc/orv/copyright
    usr/share/icons/hicolor/scalable/apps/orv.svg
    usr/share/man/man1/orv-cli.1.gz
    usr/share/man/man1/orv.1.gz
    usr/share/metainfo/com.tarveline.orv.metainfo.xml
    usr/share/mime/packages/com.tarveline.orv.xml
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/orv.png")
done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort) ||
    problem "the installed files differ from the expected ones (< expected, > installed)"

for size in 16 22 24 32 48 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/orv.png
    [ -f "$png" ] && { file -b "$png" | grep -q "PNG image data, $size x $size," || problem "$png is not a $size pixel PNG"; }
done

for program in orv orv-cli; do
    if [ -x "$root/usr/bin/$program" ]; then
        shown=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" --version) ||
            problem "$program --version failed"
        [ "$shown" = "$program $version" ] || problem "$program --version says \"$shown\", not \"$program $version\""
    fi
done

desktop=$root/usr/share/applications/com.tarveline.orv.desktop
if command -v desktop-file-validate > /dev/null; then
    desktop-file-validate "$desktop" || problem "desktop-file-validate rejects the desktop entry"
else
    missing_tool desktop-file-validate "the desktop entry"
fi
if command -v appstreamcli > /dev/null; then
    appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/com.tarveline.orv.metainfo.xml" ||
        problem "appstreamcli rejects the metainfo"
else
    missing_tool appstreamcli "the metainfo"
fi
for page in "$root"/usr/share/man/man1/*.1.gz; do
    zcat "$page" > "$stage/page.1"
    if command -v mandoc > /dev/null; then
        mandoc -T lint -W warning "$stage/page.1" || problem "mandoc finds faults in $(basename "$page")"
    else
        missing_tool mandoc "$(basename "$page")"
    fi
    warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$stage/page.1" 2>&1 > /dev/null)
    [ -z "$warnings" ] || problem "man warns about $(basename "$page"): $warnings"
done

# The package, made where a packager makes it: in the build folder.
deb=$build/orv_${version}_$(dpkg --print-architecture).deb
rm -f "$deb"
(cd "$build" && cpack -G DEB > "$stage/cpack.log") || { cat "$stage/cpack.log"; problem "cpack -G DEB failed"; }
if [ -f "$deb" ]; then
    contents=$(dpkg-deb -c "$deb")
    if grep -E 'mime\.cache|mimeinfo\.cache|icon-theme\.cache|/mime/(globs|magic|types|aliases)' <<< "$contents"; then
        problem "the package carries generated caches"
    fi
    depends=$(dpkg-deb -f "$deb" Depends)
    grep -q 'libqt6widgets6' <<< "$depends" || problem "the dependencies lack the Qt libraries: $depends"
    if command -v lintian > /dev/null; then
        lintian --no-tag-display-limit "$deb" > "$stage/lintian.log" 2>&1 || true
        cat "$stage/lintian.log"
        if grep -q '^E: ' "$stage/lintian.log"; then
            problem "lintian reports errors"
        fi
    else
        missing_tool lintian "the package"
    fi
else
    problem "cpack made no $deb"
fi
exit $fail
