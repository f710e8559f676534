#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs to show and start
# the program: the binary, its desktop entry and its icons.
# Usage: check_install.sh CMAKE BUILD_DIR
set -euo pipefail

cmake_command=$1
build_dir=$2
icon_sizes=(16 32 48 64 128 256)

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=$root/usr

# A DESTDIR from the caller's environment would move the tree away from $prefix.
unset DESTDIR
"$cmake_command" --install "$build_dir" --prefix "$prefix" >/dev/null

binary=$prefix/bin/keyword-scout
desktop=$prefix/share/applications/keyword-scout.desktop
svg=$prefix/share/icons/hicolor/scalable/apps/keyword-scout.svg

expected_files=("$binary" "$desktop" "$svg")
for size in "${icon_sizes[@]}"; do
    expected_files+=("$prefix/share/icons/hicolor/${size}x${size}/apps/keyword-scout.png")
done
# Anything else here is a test program, a benchmark or the stand-in marketplace that gained an
# install() rule, and would land on users' machines.
unexpected=$(comm -13 <(printf '%s\n' "${expected_files[@]}" | sort) \
                      <(find "$root" -type f -o -type l | sort))
[ -z "$unexpected" ] || fail "installed files nobody asked for:"$'\n'"$unexpected"

if [ ! -x "$binary" ] || [ "$(head -c 4 "$binary" | od -An -c | tr -d ' ')" != '177ELF' ]; then
    fail "$binary is not an executable ELF file"
else
    missing_libraries=$(ldd "$binary" | grep 'not found' || true)
    [ -z "$missing_libraries" ] || fail "the installed binary cannot load:"$'\n'"$missing_libraries"
    # A run path into the build tree works here and nowhere else.
    if readelf -d "$binary" | grep -E 'R(UN)?PATH' | grep -qF "$(cd "$build_dir" && pwd -P)"; then
        fail "the installed binary keeps a run path into the build tree"
    fi
fi

if [ ! -f "$desktop" ]; then
    fail "no desktop entry at $desktop"
else
    validation=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $validation"
    entry_line() { grep -E "^$1=" "$desktop" | head -n 1 | cut -d= -f2-; }
    name_zh=$(entry_line 'Name\[zh_CN\]')
    [ "$name_zh" = '关键字分析' ] || fail "Name[zh_CN] is '$name_zh', not the window title 关键字分析"
    exec_line=$(entry_line Exec)
    [ "$exec_line" = keyword-scout ] || fail "Exec is '$exec_line', not keyword-scout"
    [ -x "$prefix/bin/${exec_line%% *}" ] || fail "Exec names '${exec_line%% *}', which is not installed in bin/"
    icon_name=$(entry_line Icon)
    [ "$icon_name" = keyword-scout ] || fail "Icon is '$icon_name': the theme holds keyword-scout"
    terminal=$(entry_line Terminal)
    [ "$terminal" = false ] || fail "Terminal is '$terminal': the program is a window, not a console"
fi

if [ ! -f "$svg" ]; then
    fail "no scalable icon at $svg"
elif ! grep -q '<svg[^>]*xmlns="http://www.w3.org/2000/svg"' "$svg"; then
    fail "$svg has no SVG root element"
fi

# PNG: the 8-byte signature, then the IHDR chunk whose data starts at byte 16 with the width and
# the height as big-endian 32-bit numbers, the bit depth and the colour type.
for size in "${icon_sizes[@]}"; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/keyword-scout.png
    if [ ! -f "$png" ]; then
        fail "no ${size}x${size} icon at $png"
        continue
    fi
    # shellcheck disable=SC2207  # od prints plain numbers; splitting them is the point
    header=($(od -An -v -tu1 -N26 "$png"))
    signature="${header[*]:0:8}"
    if [ "$signature" != '137 80 78 71 13 10 26 10' ]; then
        fail "$png is not a PNG file"
        continue
    fi
    width=$(( (header[16] << 24) | (header[17] << 16) | (header[18] << 8) | header[19] ))
    height=$(( (header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23] ))
    if [ "$width" -ne "$size" ] || [ "$height" -ne "$size" ]; then
        fail "$png is ${width}x${height}, its folder says ${size}x${size}"
    fi
    colour_type=${header[25]}
    # Without transparency the rounded corners would show as a square on a dark panel.
    if [ "$colour_type" -ne 4 ] && [ "$colour_type" -ne 6 ] && ! grep -qa tRNS "$png"; then
        fail "$png has no transparency (colour type $colour_type)"
    fi
done

if [ "$failures" -ne 0 ]; then
    echo "$failures install check(s) failed" >&2
    exit 1
fi
echo "install tree holds the binary, a valid desktop entry and every icon"
