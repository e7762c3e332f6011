#!/usr/bin/env bash
# Checks that every artefact of a release folder tells the same version, the one of the
# project, and carries the licence:
#   tools/check_versions.sh RELEASE_FOLDER VERSION [SIDESCROLLER_REPLAY]
# The release date is the Debian change log's, read here with date(1), not as CMake reads it.
set -euo pipefail
out=$1 version=$2 replay=${3:-}
failures=0
check() {  # check WHAT COMMAND...: the command must succeed
    local what=$1; shift
    if "$@" > /dev/null 2>&1; then echo "ok   $what"; else echo "FAIL $what" >&2; failures=$((failures + 1)); fi
}
has() { grep -qF -- "$2" <<< "$1"; }
first_line_is() { [ "$(head -1 <<< "$1")" = "$2" ]; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

deb=$out/sidescroller_${version}_amd64.deb server_deb=$out/sidescroller-server_${version}_amd64.deb
zip=$out/Sidescroller-$version-windows-x64.zip
installer=$out/Sidescroller-$version-windows-x64.exe tarball=$out/sidescroller-$version.tar.gz
for f in "$deb" "$server_deb" "$zip" "$installer" "$tarball" "$out/LICENSE" "$out/SHA256SUMS"; do
    check "$(basename "$f") is there" test -s "$f"
done
check "SHA256SUMS holds" bash -c "cd '$out' && sha256sum --quiet -c SHA256SUMS"
check "LICENSE is the MIT licence" grep -q '^MIT License$' "$out/LICENSE"

dpkg-deb -x "$deb" "$work/deb"
check "the package's version is $version" [ "$(dpkg-deb -f "$deb" Version)" = "$version" ]
check "sidescroller --version says $version" \
    first_line_is "$("$work/deb/usr/games/sidescroller" --version)" "sidescroller $version"
if [ -n "$replay" ]; then
    check "sidescroller-replay --version says $version" \
        first_line_is "$("$replay" --version)" "sidescroller-replay $version"
fi
dpkg-deb -x "$server_deb" "$work/server"
check "the server's package's version is $version" [ "$(dpkg-deb -f "$server_deb" Version)" = "$version" ]
check "sidescroller-server --version says $version" \
    has "$("$work/server/usr/bin/sidescroller-server" --version)" "sidescroller-server $version"
check "the server's package holds the game's files" \
    cmp "$work/deb/usr/share/sidescroller/font.des" "$work/server/usr/share/sidescroller-server/font.des"
changelog=$(zcat "$work/deb/usr/share/doc/sidescroller/changelog.gz")
check "the change log's top entry is $version" first_line_is "$changelog" "sidescroller ($version) unstable; urgency=medium"
stamp=$(sed -n '0,/^ -- /s/^ -- .*  \(.*\)$/\1/p' <<< "$changelog")
date=$(date -u -d "$stamp" +%F)
metainfo=$(cat "$work"/deb/usr/share/metainfo/*.metainfo.xml)
check "AppStream names release $version of $date" has "$metainfo" "<release version=\"$version\" date=\"$date\"/>"
check "AppStream names the licence MIT" has "$metainfo" "<project_license>MIT</project_license>"
check "the copyright file names the licence" \
    grep -qx 'License: Expat' "$work/deb/usr/share/doc/sidescroller/copyright"
manual=$(zcat "$work/deb/usr/share/man/man6/sidescroller.6.gz")
check "the manual page names $version of $date" first_line_is "$manual" ".TH SIDESCROLLER 6 $date \"Sidescroller $version\" \"Games\""

listing=$(unzip -Z1 "$zip")
top=Sidescroller-$version-windows-x64
check "the zip holds $top/sidescroller.exe and LICENSE.txt" \
    bash -c "grep -qx '$top/sidescroller.exe' <<< '$listing' && grep -qx '$top/LICENSE.txt' <<< '$listing'"
check "the Windows game's usage names $version" \
    bash -c "unzip -p '$zip' '$top/sidescroller.exe' | grep -aqF 'Sidescroller $version'"
check "the source tarball unpacks into sidescroller-$version/" \
    bash -c "tar -tzf '$tarball' | grep -qx 'sidescroller-$version/CMakeLists.txt'"
site=$out/sidescroller-$version-web.tar.gz
if [ -e "$site" ]; then
    check "the web site holds its page and LICENSE.txt" bash -c "tar -tzf '$site' | grep -qx 'sidescroller-$version-web/LICENSE.txt' && tar -tzf '$site' | grep -qx 'sidescroller-$version-web/index.html'"
    check "the web page names $version" \
        bash -c "tar -xzOf '$site' 'sidescroller-$version-web/index.html' | grep -qF 'Sidescroller $version'"
fi
[ "$failures" -eq 0 ] || { echo "versions: $failures failed" >&2; exit 1; }
