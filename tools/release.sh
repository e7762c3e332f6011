#!/usr/bin/env bash
# Builds every artefact of a release from one commit into one folder, with SHA256SUMS:
#   tools/release.sh [OUT] [-DSIDESCROLLER_APP_ID=...] ...
# OUT (default: release/) gets the Debian packages (the game and the server), the Windows zip and installer, the web
# site as a tarball (where Emscripten is installed), the source tarball and LICENSE. The sources are the commit (COMMIT, default HEAD) as git exports it,
# built in a fresh folder, never the working tree; SOURCE_DATE_EPOCH is the commit's time,
# so that the same commit gives the same bytes wherever and whenever it is built. Further
# arguments are CMake options for the Debian package: the packaging values a distributor
# decides (see "Packaging values" in docs/releasing.md), printed at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/release}")
shift || true
commit=$(git -C "$root" rev-parse "${COMMIT:-HEAD}^{commit}")
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct "$commit")
jobs=${JOBS:-$(nproc)}
# A zip stores local times, and a package's members the umask's modes: both are fixed here.
export TZ=UTC
umask 022

work=$(mktemp -d "${TMPDIR:-/tmp}/sidescroller-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
git -C "$root" archive "$commit" | tar -x -C "$work/src"
version=$(sed -n 's/^project(Sidescroller VERSION \([^ ]*\) .*/\1/p' "$work/src/CMakeLists.txt")
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }
echo "== Sidescroller $version from $commit (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"
if [ -z "${COMMIT:-}" ] && [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
    echo "   (changes not committed are not in the release)"
fi

# Archives record the packer's user ids: a builder who is not root packs as root, through
# fakeroot, so that the packages are the same whoever makes them.
pack=(cpack)
[ "$(id -u)" -eq 0 ] || pack=(fakeroot cpack)

quiet() {  # runs a step, showing its output only when it fails
    "$@" > "$work/step.log" 2>&1 || { cat "$work/step.log" >&2; echo "release: failed: $*" >&2; exit 1; }
}

echo "== the Debian packages: the game and the leaderboard server"
quiet cmake -S "$work/src" -B "$work/linux" -DCMAKE_BUILD_TYPE=Release -DSIDESCROLLER_TESTS=OFF \
    -DSIDESCROLLER_BENCH=OFF -DSIDESCROLLER_TOOLS=OFF \
    -DSIDESCROLLER_WERROR=ON "$@"
quiet cmake --build "$work/linux" -j"$jobs"
(cd "$work/linux" && quiet "${pack[@]}" -G DEB)

echo "== the Windows zip and installer"
quiet cmake -S "$work/src" -B "$work/win" --toolchain "$work/src/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSIDESCROLLER_WERROR=ON
quiet cmake --build "$work/win" -j"$jobs"
(cd "$work/win" && quiet "${pack[@]}")

web=""
if command -v emcmake > /dev/null; then
    echo "== the web site"
    web=sidescroller-$version-web.tar.gz
    # Debian's emcc finds its JavaScript modules there, whichever node comes first on the PATH.
    export NODE_PATH=/usr/share/nodejs
    quiet emcmake cmake -S "$work/src" -B "$work/web" -DCMAKE_BUILD_TYPE=Release \
        -DSIDESCROLLER_WERROR=ON
    quiet cmake --build "$work/web" -j"$jobs"
    tar -C "$work/web" --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 \
        --numeric-owner --mode=u=rwX,go=rX --transform="s,^site,sidescroller-$version-web," \
        -cf - site | gzip -9n > "$work/$web"
else
    echo "== no web site: emcmake is missing (the package emscripten)"
fi

echo "== the sources and the checksums"
rm -rf "$out"
mkdir -p "$out"
cp "$work/linux/sidescroller_${version}_amd64.deb" \
    "$work/linux/sidescroller-server_${version}_amd64.deb" "$work/win/Sidescroller-$version-windows-x64.zip" \
    "$work/win/Sidescroller-$version-windows-x64.exe" "$work/src/LICENSE" "$out/"
[ -z "$web" ] || cp "$work/$web" "$out/"
git -C "$root" archive --format=tar --prefix="sidescroller-$version/" "$commit" |
    gzip -9n > "$out/sidescroller-$version.tar.gz"
(cd "$out" && LC_ALL=C sha256sum -- * > "$work/SHA256SUMS" && mv "$work/SHA256SUMS" .)

bash "$work/src/tools/check_versions.sh" "$out" "$version" "$work/linux/sidescroller-replay"

echo "== packaging values used (CMake cache variables, set with -D)"
cmake -L -N "$work/linux" 2> /dev/null |
    grep -E '^SIDESCROLLER_(APP_ID|HOMEPAGE|SCREENSHOTS|MAINTAINER):' | sed 's/^/   /'
echo "== release in $out"
(cd "$out" && cat SHA256SUMS)
