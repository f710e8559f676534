#!/usr/bin/env bash
# Builds the .deb with CPack into a temporary folder and checks its control fields and files.
# Usage: check_deb.sh CPACK BUILD_DIR PROJECT_VERSION
set -euo pipefail

cpack_command=$1
build_dir=$2
project_version=$3

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# -B keeps CPack's staging folder out of the build tree, where a developer's own cpack may run.
if ! log=$("$cpack_command" -G DEB --config "$build_dir/CPackConfig.cmake" -B "$out" 2>&1); then
    echo "$log" >&2
    echo "FAIL: cpack could not build the package" >&2
    exit 1
fi
debs=("$out"/*.deb)
if [ "${#debs[@]}" -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "FAIL: cpack made ${#debs[@]} .deb files, not one: ${debs[*]}" >&2
    exit 1
fi
deb=${debs[0]}

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = keyword-scout ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$project_version" ] || fail "Version is '$(field Version)', the project is $project_version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Section)" ] || fail "no Section"
[ -n "$(field Description)" ] || fail "no Description"
[ "$(basename "$deb")" = "keyword-scout_${project_version}_$(dpkg --print-architecture).deb" ] \
    || fail "the file is named $(basename "$deb"), not as Debian names packages"

# Depends, one package name a line: version constraints and alternatives dropped.
depends=$(field Depends | tr ',|' '\n' | sed -E 's/\(.*\)//; s/^ +//; s/ +$//' | grep -v '^$' | sort -u)
# The shared libraries the binary links, the Qt platform plugins that open its window, the face
# for its Chinese text, the trust store for https, and xdg-open for the chat link.
for needed in libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins libcurl4 libpcre2-8-0 \
              libicu72 fonts-noto-cjk libstdc++6 libc6 ca-certificates xdg-utils; do
    grep -qxF "$needed" <<<"$depends" || fail "Depends does not name $needed: $(field Depends)"
done
# libcurl3-gnutls is the other curl flavour, whose soname the binary does not link; a -dev
# package would drag headers and compilers onto users' machines.
wrong=$(grep -E -x -- 'libcurl3-gnutls|.*-dev' <<<"$depends" || true)
[ -z "$wrong" ] || fail "Depends names packages the program does not use: $wrong"

# dpkg-deb -c prints "mode owner size date time ./path"; keep mode and path of regular files.
listing=$(dpkg-deb --contents "$deb")
files=$(awk '$1 ~ /^-/ { print $NF }' <<<"$listing" | sed 's|^\./|/|' | sort)
expected=$(
    {
        echo /usr/bin/keyword-scout
        echo /usr/share/applications/keyword-scout.desktop
        echo /usr/share/icons/hicolor/scalable/apps/keyword-scout.svg
        for size in 16 32 48 64 128 256; do
            echo "/usr/share/icons/hicolor/${size}x${size}/apps/keyword-scout.png"
        done
    } | sort
)
missing=$(comm -23 <(echo "$expected") <(echo "$files"))
extra=$(comm -13 <(echo "$expected") <(echo "$files"))
[ -z "$missing" ] || fail "the package lacks:"$'\n'"$missing"
[ -z "$extra" ] || fail "the package holds files that are not the program's (tests, benchmarks, stand-in?):"$'\n'"$extra"

binary_mode=$(awk '$NF == "./usr/bin/keyword-scout" { print $1 }' <<<"$listing")
[ "$binary_mode" = -rwxr-xr-x ] || fail "/usr/bin/keyword-scout has mode '$binary_mode'"
owners=$(awk '{ print $2 }' <<<"$listing" | sort -u)
[ "$owners" = root/root ] || fail "files are owned by $owners, not only root/root"

if [ "$failures" -ne 0 ]; then
    echo "$failures package check(s) failed" >&2
    exit 1
fi
echo "$(basename "$deb") names its runtime packages and holds exactly the program's files"
