#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the upstream tarball the Debian source package (format 3.0 (quilt)) is built from,
# narrelo_<version>.orig.tar.xz: the files of one commit (a release tag) below
# narrelo-<version>/, without debian/. <version> is that commit's project(VERSION).
# The same commit gives the same bytes on every machine and at every time: git archive dates
# each member with the commit's time, lists them in the tree's order, with owner root and
# modes from a fixed umask (set here, whatever the user's git configuration says), and xz
# compresses in one thread. Prints the tarball's path.
# Usage: scripts/make-orig-tarball.sh [REF] [OUT_DIR]
#   REF      a tag or commit (default: the tag v<version> of the checked-out project(VERSION))
#   OUT_DIR  where the tarball goes (default: the folder above the source tree, where
#            dpkg-source looks for it)
set -euo pipefail
cd "$(dirname "$0")/.."

version_at() {  # ref
  git show "$1:CMakeLists.txt" | sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' | head -n 1
}

ref=${1:-v$(version_at HEAD)}
out=${2:-..}
git rev-parse -q --verify "$ref^{commit}" >/dev/null || {
  echo "make-orig-tarball: no commit '$ref' (a release is tagged: git tag -a $ref)" >&2
  exit 1
}
version=$(version_at "$ref")
[ -n "$version" ] || { echo "make-orig-tarball: no project(VERSION) in $ref's CMakeLists.txt" >&2; exit 1; }

mkdir -p "$out"
tarball=$(cd "$out" && pwd)/narrelo_$version.orig.tar.xz
git -c tar.umask=0022 archive --format=tar --prefix="narrelo-$version/" "$ref" -- . ':(exclude)debian' |
  xz -6 --threads=1 -c >"$tarball.new"
mv "$tarball.new" "$tarball"
echo "$tarball"
