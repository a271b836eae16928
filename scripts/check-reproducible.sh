#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages twice from the same tree, each time compiling everything (no
# ccache), with as much as possible different between the two builds, and compares the .deb
# files byte for byte. What differs, as Debian's reprotest varies it:
#   build path        build/reproducible/a/.source/... and build/reproducible/b/.view/...
#   time              the second build starts when the first ended
#   locale            C.UTF-8, then tr_TR.UTF-8 (made into a folder of its own with
#                     localedef; Turkish changes the case of i and I), LANGUAGE too
#   time zone         UTC, then UTC+14 (Etc/GMT-14)
#   umask             0022, then 0002
#   user and group    the caller, then nobody:nogroup (when run as root)
#   home folder       a fresh folder each time
#   host name         the machine's, then another one in a UTS namespace (when run as root)
#   file order        plain, then every folder listed in a random order by disorderfs (when
#                     installed and run as root)
# A variation this machine cannot make is named as left out. The install test (ctest -L
# install) builds twice too, with ccache, so it checks everything after the compiler; this
# is the whole check, about twice the time of one package build. Prints the packages that
# differ (diffoscope, when installed, shows how).
# Usage: scripts/check-reproducible.sh [WORK_DIR]      (default: build/reproducible)
set -euo pipefail
cd "$(dirname "$0")/.."

work=${1:-build/reproducible}
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

left_out=()
root=no
[ "$(id -u)" -eq 0 ] && root=yes

# Build a: the plain one.
echo "+ build a (C.UTF-8, UTC, umask 0022, $(id -un), host $(hostname), plain file order)"
mkdir -p "$work/home-a"
(
  umask 0022
  env -u LANGUAGE LC_ALL=C.UTF-8 LANG=C.UTF-8 TZ=UTC HOME="$work/home-a" CCACHE_DISABLE=1 \
    bash scripts/build-deb.sh "$work/a" >/dev/null
)

# Build b: everything that can differ.
b_env=(TZ=Etc/GMT-14 HOME="$work/home-b" CCACHE_DISABLE=1)
mkdir -p "$work/home-b" "$work/locale"
if localedef -i tr_TR -f UTF-8 "$work/locale/tr_TR.UTF-8" 2>/dev/null; then
  b_env+=(LOCPATH="$work/locale" LC_ALL=tr_TR.UTF-8 LANG=tr_TR.UTF-8 LANGUAGE=tr_TR:tr)
else
  left_out+=("locale (no tr_TR locale source for localedef)")
  b_env+=(LC_ALL=C LANG=C)
fi
if [ $root = yes ]; then
  b_env+=(BUILD_DEB_USER=65534:65534)
  chown 65534:65534 "$work/home-b"
else
  left_out+=("user (needs root)")
fi
if [ $root = yes ] && command -v disorderfs >/dev/null && [ -e /dev/fuse ]; then
  b_env+=(BUILD_DEB_SHUFFLED=1)
else
  left_out+=("file order (needs root, disorderfs and /dev/fuse)")
fi
host=()
if [ $root = yes ] && unshare --uts true 2>/dev/null; then
  host=(unshare --uts sh -c 'hostname narrelo-reproducible-b && exec "$0" "$@"')
else
  left_out+=("host name (needs root)")
fi
echo "+ build b (${b_env[*]}, umask 0002${host:+, host narrelo-reproducible-b})"
(
  umask 0002
  "${host[@]}" env "${b_env[@]}" bash scripts/build-deb.sh "$work/b" >/dev/null
)

status=0
for deb in "$work"/a/*.deb; do
  name=$(basename "$deb")
  if cmp -s "$deb" "$work/b/$name"; then
    echo "same:   $name"
  else
    echo "DIFFER: $name"
    status=1
  fi
done
if [ ${#left_out[@]} -gt 0 ]; then printf 'not varied: %s\n' "${left_out[@]}"; fi
exit $status
