#!/usr/bin/env bash
# Packs the build with CPack into a temporary folder and checks the Debian package from the
# outside: its name and control fields, its maintainer scripts, that it holds exactly the files an install holds
# (nothing from the build tree, no run paths, no build-tree paths inside), and that its
# Depends names the package of every library the programs need.
# Usage: install_package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2

work=$(mktemp -d "${TMPDIR:-/tmp}/narrelo-package-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$work/cpack.log")"
deb=$work/out/narrelo_${version}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/out")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = narrelo ] || fail "Package"
[ "$(field Version)" = "$version" ] || fail "Version"
[ "$(field Architecture)" = amd64 ] || fail "Architecture"
# Maintainer scripts only enable the service's socket (and stop and forget it on removal).
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E '^\./(pre|post)(inst|rm)$' | sort | tr '\n' ' ')
[ "$scripts" = "./postinst ./postrm ./prerm " ] || fail "maintainer scripts: $scripts"
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./postinst | grep -q "enable 'narrelo-demoserver.socket'" ||
  fail "postinst does not enable the service's socket"

# The package holds the files an install under /usr holds, no more and no fewer.
cmake --install "$build" --prefix "$work/usr" >/dev/null
(cd "$work/usr" && find . ! -type d | sed 's|^\./|./usr/|' | sort) >"$work/installed.txt"
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort >"$work/packed.txt"
diff "$work/installed.txt" "$work/packed.txt" >&2 || fail "package contents differ from the install"

# Nothing in it points into the build tree.
dpkg-deb -x "$deb" "$work/root"
build_abs=$(cd "$build" && pwd)
if grep -rlF "$build_abs" "$work/root" >&2; then fail "files mention the build tree"; fi
for exe in "$work"/root/usr/bin/*; do
  if readelf -d "$exe" | grep -E 'RPATH|RUNPATH'; then fail "$(basename "$exe") has a run path"; fi
done

# Depends names the package of every library a program loads directly.
depends=$(field Depends)
depends_names=$(echo "$depends" | tr ',|' '\n\n' | sed 's/^ *//; s/[ (].*//')
owner_of() {  # the package that installed a library file, looked up as given and resolved
  local candidate
  local found
  for candidate in "$1" "$(readlink -f "$1")" "/usr$1"; do
    if found=$(dpkg -S "$candidate" 2>/dev/null); then
      echo "${found%%:*}"
      return 0
    fi
  done
  return 1
}
for exe in "$work"/root/usr/bin/*; do
  for soname in $(readelf -d "$exe" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    # (awk reads everything: a reader that stops early would end ldconfig with SIGPIPE)
    path=$(ldconfig -p | awk -v s="$soname" '$1 == s && /x86-64/ && !found { print $NF; found = 1 }')
    [ -n "$path" ] || fail "$soname not found"
    owner=$(owner_of "$path") || fail "no package owns $path"
    echo "$depends_names" | grep -xF "$owner" >/dev/null ||
      fail "$(basename "$exe") needs $soname ($owner), which Depends does not name: $depends"
  done
done
# And of every library a program loads at run time (dlopen), by its soname.
for soname in libcurl.so.4 libSDL2-2.0.so.0; do
  path=$(ldconfig -p | awk -v s="$soname" '$1 == s && /x86-64/ && !found { print $NF; found = 1 }')
  [ -n "$path" ] || fail "$soname not found"
  owner=$(owner_of "$path") || fail "no package owns $path"
  echo "$depends_names" | grep -xF "$owner" >/dev/null ||
    fail "the programs load $soname ($owner), which Depends does not name: $depends"
done
echo "package OK: $(basename "$deb"); Depends: $depends"
