#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian packages (debian/) with `dpkg-buildpackage -b -us -uc` from a clean copy of
# the tree: the tracked files as they are now (committed or not; untracked files and build
# folders stay out), in a folder of their own, so nothing of an existing build is reused.
# It builds every program from scratch, with ccache when it is installed; the copy lives in
# a fixed place below the output folder, so a second build finds the first one's compiler
# results. Writes the .deb files (and the .buildinfo and .changes) into OUT_DIR.
# Usage: scripts/build-deb.sh [OUT_DIR]     (default: build/deb)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

out=${1:-build/deb}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$out/.source
rm -rf "$work"
mkdir -p "$work/narrelo"

# `git stash create` records the working tree's tracked files without touching anything;
# it prints nothing when there are no changes, and then HEAD is the tree.
snapshot=$(git -C "$root" stash create)
git -C "$root" archive --format=tar "${snapshot:-HEAD}" | tar -x -C "$work/narrelo"

if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  # debhelper gives the build a HOME of its own: name the user's cache folder outright.
  CCACHE_DIR=$(ccache -k cache_dir)
  export CCACHE_DIR
fi
export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:+$DEB_BUILD_OPTIONS }parallel=$(nproc)"
echo "+ dpkg-buildpackage -b -us -uc (in $work/narrelo)"
(cd "$work/narrelo" && dpkg-buildpackage -b -us -uc) >"$out/build.log" 2>&1 || {
  tail -n 60 "$out/build.log" >&2
  echo "build-deb: dpkg-buildpackage failed; the whole log is $out/build.log" >&2
  exit 1
}
rm -f "$out"/*.deb "$out"/*.ddeb "$out"/*.buildinfo "$out"/*.changes
mv "$work"/*.deb "$work"/*.ddeb "$work"/*.buildinfo "$work"/*.changes "$out"/ 2>/dev/null || true
rm -rf "$work"
ls "$out"/*.deb
