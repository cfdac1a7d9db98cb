#!/usr/bin/env bash
# The Windows package as a game developer uses it: its files, then C and C++
# programs built with mingw-w64 against its DLLs and import libraries, by
# pkg-config and by CMake's find_package, run under wine with the DLLs
# beside them. The C program renders the tool's first sound to its pinned
# hash; render_to_file writes the file this machine's wubble-render writes;
# play_sound plays a sound through wubble.dll to its end.
#
#   check_consumer.sh PACKAGE_DIR SOURCE_DIR WORK_DIR NATIVE_WUBBLE_RENDER
set -euo pipefail
package=$(realpath "$1") source=$(realpath "$2") work=$(realpath -m "$3") render=$4
toolchain=$source/scripts/platforms/mingw-x64.cmake
fail() { echo "FAILED: $*"; exit 1; }
rm -rf "$work" && mkdir -p "$work"

for file in bin/wubble-scope.exe bin/wubble-lite.exe bin/wubble-render.exe bin/wubble.dll \
            bin/wubble-generator.dll lib/libwubble.dll.a lib/libwubble-generator.dll.a \
            include/wubble.h lib/cmake/Wubble/WubbleConfig.cmake lib/pkgconfig/wubble.pc \
            lib/pkgconfig/wubble-generator.pc README.md LICENSE; do
  [[ -f $package/$file ]] || fail "the package has no $file"
done
echo "the package holds the programs, the DLLs, their import libraries, the header, the CMake package, the pkg-config files, README.md and LICENSE"

export PKG_CONFIG_LIBDIR=$package/lib/pkgconfig PKG_CONFIG_PATH=
x86_64-w64-mingw32-gcc-posix -std=c99 -Wall -Wextra -pedantic -Werror \
  "$source/tests/library/consumer/first_sound.c" $(pkg-config --cflags --libs wubble-generator) \
  -o "$work/first_sound.exe" || fail "first_sound.c with pkg-config"
cp "$package/bin/wubble-generator.dll" "$work/"
first=$(wine "$work/first_sound.exe" | tr -d '\r')
[[ $first == "175894 7f44ca8db70f46b8" ]] || fail "first_sound.exe printed '$first'"
echo "first_sound.exe (pkg-config, wubble-generator.dll): the pinned first sound, $first"

cmake -S "$source/examples" -B "$work/examples" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_PREFIX_PATH="$package" -DCMAKE_BUILD_TYPE=Release >"$work/examples.log" 2>&1 &&
  cmake --build "$work/examples" >>"$work/examples.log" 2>&1 ||
  { tail -30 "$work/examples.log"; fail "the examples with find_package(Wubble)"; }
cp "$package/bin/wubble.dll" "$package/bin/wubble-generator.dll" "$work/examples/"
"$render" 9837320 3 64 -o "$work/expected.wav"
(cd "$work/examples" && wine ./render_to_file.exe 9837320 3 64 rendered.wav) || fail "render_to_file.exe"
cmp "$work/expected.wav" "$work/examples/rendered.wav" || fail "render_to_file.exe wrote another file"
echo "render_to_file.exe (find_package, wubble-generator.dll): the file of this machine's wubble-render"
played=$(wine "$work/examples/play_sound.exe" | tr -d '\r' | tail -1)
[[ $played =~ ^played\ [1-9][0-9]*\ bytes$ ]] || fail "play_sound.exe printed '$played'"
echo "play_sound.exe (find_package, wubble.dll): $played"
