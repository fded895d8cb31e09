#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR, as a package build does, and checks what lands
# there: the file list, the desktop entry and metainfo against their validators, the versions
# they announce, the installed bank with the installed tool, and the exam window run from the
# installed bin/ folder (PROBE, copied there), which must find the bank by itself.
# Usage: tst_install.sh BUILD_DIR SOURCE_DIR APP_ID VERSION PROBE
set -euo pipefail
build=$1 source=$2 id=$3 version=$4 probe=$5
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
usr=$stage/usr
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

expected_files() {
    printf '%s\n' \
        bin/jiaogui bin/jiaogui-bank \
        share/jiaogui/beijing.dat \
        "share/applications/$id.desktop" \
        "share/metainfo/$id.metainfo.xml" \
        "share/icons/hicolor/scalable/apps/$id.svg" \
        "share/icons/hicolor/48x48/apps/$id.png" \
        "share/icons/hicolor/128x128/apps/$id.png" \
        "share/icons/hicolor/256x256/apps/$id.png" \
        share/doc/jiaogui/copyright share/doc/jiaogui/changelog.gz \
        share/man/man1/jiaogui.1.gz share/man/man1/jiaogui-bank.1.gz
    # One picture for every drawn (with its twin for dense screens) or ready-made picture.
    for svg in "$source"/data/bank/pict-src/*.svg; do
        echo "share/jiaogui/pict/$(basename "$svg" .svg).png"
        echo "share/jiaogui/pict/$(basename "$svg" .svg)@2x.png"
    done
    for ready in "$source"/data/bank/pict/*; do
        [ -f "$ready" ] && echo "share/jiaogui/pict/$(basename "$ready")"
    done
}

echo "file list"
if ! difference=$(diff <(expected_files | sort) <(cd "$usr" && find . -type f -printf '%P\n' | sort)); then
    fail "installed files differ from the expected list (< missing, > unexpected):"
    echo "$difference"
fi

echo "desktop-file-validate"
desktop=$usr/share/applications/$id.desktop
if ! report=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$report" ]; then
    fail "desktop-file-validate: $report"
fi

echo "appstreamcli validate"
metainfo=$usr/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"

echo "versions"
grep -q "<release version=\"$version\"" "$metainfo" ||
    fail "the metainfo's releases do not name version $version"
zcat "$usr/share/doc/jiaogui/changelog.gz" | head -n 1 | grep -qF "jiaogui ($version)" ||
    fail "the changelog does not begin with version $version"

echo "jiaogui-bank check on the installed bank, whole by its trailer"
"$usr/bin/jiaogui-bank" check --require-trailer "$usr/share/jiaogui/beijing.dat" >/dev/null ||
    fail "jiaogui-bank check on the installed bank"

echo "the exam window from the installed bin/ folder"
# After the file list: the probe is not part of the installation. Its study record stays in the
# stage.
cp "$probe" "$usr/bin/"
if found=$(XDG_DATA_HOME=$stage/data "$usr/bin/$(basename "$probe")"); then
    [ "$(echo "$found" | head -n 1)" = "$usr/share/jiaogui" ] ||
        fail "the installed program looked for its bank in $(echo "$found" | head -n 1)"
else
    fail "the exam window did not run on the installed bank: $found"
fi

[ "$failures" -eq 0 ] || { echo "$failures checks failed"; exit 1; }
