#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian source package and the binary packages (debian/) with
# `dpkg-buildpackage -us -uc` from a clean copy of the tree: the tracked files as they are
# now (committed or not; untracked files and build folders stay out), in a folder of their
# own, so nothing of an existing build is reused. The upstream tarball comes from the same
# files by scripts/make-orig-tarball.sh, as it does from a release tag.
# It builds every program from scratch, with ccache when it is installed; the copy lives in
# a fixed place below the output folder, so a second build finds the first one's compiler
# results. Writes the source package (.dsc, .orig.tar.xz, .debian.tar.xz), the .deb files,
# the .buildinfo and the .changes (source and binaries) into OUT_DIR.
# Usage: scripts/build-deb.sh [OUT_DIR]     (default: build/deb)
# Two settings vary a build for scripts/check-reproducible.sh (both need root):
#   BUILD_DEB_USER=UID:GID    dpkg-buildpackage runs as that user and group
#   BUILD_DEB_SHUFFLED=1      the tree is seen through disorderfs, every folder listed in
#                             a random order
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

out=${1:-build/deb}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$out/.source
rm -rf "$work"
mkdir -p "$work"

# `git stash create` records the working tree's tracked files without touching anything;
# it prints nothing when there are no changes, and then HEAD is the tree. The upstream
# tarball is that commit without debian/; the tree to build is the tarball with debian/.
snapshot=$(git -C "$root" stash create)
orig=$(bash "$root/scripts/make-orig-tarball.sh" "${snapshot:-HEAD}" "$work")
tree=$work/$(basename "$orig" .orig.tar.xz | tr _ -)
tar -xJf "$orig" -C "$work"
git -C "$root" archive --format=tar "${snapshot:-HEAD}" debian | tar -x -C "$tree"

if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  # debhelper gives the build a HOME of its own: name the user's cache folder outright.
  CCACHE_DIR=$(ccache -k cache_dir)
  export CCACHE_DIR
fi
export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:+$DEB_BUILD_OPTIONS }parallel=$(nproc)"
builder=()
if [ -n "${BUILD_DEB_USER:-}" ]; then
  chown -R "$BUILD_DEB_USER" "$work"
  builder=(setpriv --reuid="${BUILD_DEB_USER%:*}" --regid="${BUILD_DEB_USER#*:}" --clear-groups)
fi
view=""
unmount_view() { if [ -n "$view" ]; then fusermount3 -u "$view" 2>/dev/null || fusermount -u "$view"; fi; }
trap unmount_view EXIT
build_in=$tree
if [ "${BUILD_DEB_SHUFFLED:-}" = 1 ]; then
  mkdir -p "$out/.view"
  disorderfs --quiet --shuffle-dirents=yes --multi-user=yes "$work" "$out/.view" >/dev/null
  view=$out/.view
  build_in=$view/$(basename "$tree")
fi
echo "+ dpkg-buildpackage -us -uc (in $build_in${BUILD_DEB_USER:+, as $BUILD_DEB_USER})"
(cd "$build_in" && "${builder[@]}" dpkg-buildpackage -us -uc) >"$out/build.log" 2>&1 || {
  tail -n 60 "$out/build.log" >&2
  echo "build-deb: dpkg-buildpackage failed; the whole log is $out/build.log" >&2
  exit 1
}
unmount_view
view=""
kinds=(deb ddeb buildinfo changes dsc debian.tar.xz orig.tar.xz)
for kind in "${kinds[@]}"; do rm -f "$out"/*."$kind"; done
for kind in "${kinds[@]}"; do mv "$work"/*."$kind" "$out"/ 2>/dev/null || true; done
rm -rf "$work"
ls "$out"/*.deb
