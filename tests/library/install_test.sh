#!/usr/bin/env bash
# Installs the library into a temporary prefix and builds the examples against
# it the ways a game developer would: find_package with the shared and with
# the static libraries, and pkg-config with plain compiler commands. Each
# render_to_file must write wubble-render's file byte for byte; each
# play_sound must start its sound and end. The C program of the README's
# library section is built each way the README gives, the archives also from
# a project of C alone. Then the programs are installed into a prefix of
# their own: bin/, the desktop entries, the icon, the manual pages, the
# completion and the software-centre metadata.
#
# install_test.sh CMAKE BUILD_DIR SOURCE_DIR WUBBLE_RENDER C_COMPILER CXX_COMPILER
set -euo pipefail
cmake=$1 build=$2 source=$3 render=$4 cc=$5 cxx=$6

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

fail() { echo "FAILED: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" --component wubble_library >/dev/null
[[ -f $prefix/include/wubble.h ]] || fail "no wubble.h installed"
pc_dir=$(dirname "$(find "$prefix" -name wubble.pc)")
lib_dir=$(dirname "$pc_dir")
for lib in libwubble.a libwubble.so libwubble-generator.a libwubble-generator.so; do
  [[ -e $lib_dir/$lib ]] || fail "$lib not installed"
done

for kind in shared static; do
  static=OFF
  [[ $kind == static ]] && static=ON
  "$cmake" -S "$source/examples" -B "$work/$kind" -DCMAKE_PREFIX_PATH="$prefix" \
    -DWUBBLE_STATIC=$static -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
    >"$work/$kind.log" 2>&1 || { cat "$work/$kind.log"; fail "find_package ($kind)"; }
  "$cmake" --build "$work/$kind" >>"$work/$kind.log" 2>&1 ||
    { cat "$work/$kind.log"; fail "examples against the $kind libraries"; }
done

mkdir "$work/pkg-config"
export PKG_CONFIG_PATH=$pc_dir
"$cc" -std=c99 -Wall -Wextra -pedantic -Werror "$source/examples/render_to_file.c" \
  $(pkg-config --cflags --libs wubble-generator) -o "$work/pkg-config/render_to_file" ||
  fail "render_to_file with pkg-config"
"$cxx" -Wall -Wextra -Werror "$source/examples/play_sound.cpp" \
  $(pkg-config --cflags --libs wubble) -o "$work/pkg-config/play_sound" ||
  fail "play_sound with pkg-config"

needed() { readelf -d "$1" | grep NEEDED || true; }

# A negative seed, mutation rounds and full volume.
numbers=(-424242 2 127)
"$render" "${numbers[@]}" -o "$work/expected.wav"

# The README's C program, as its library section gives it.
readme=$work/readme
mkdir "$readme"
awk '/^## Use the sounds in your game/ { section = 1; next }
     /^## / { section = 0 }
     section && /^```c$/ { code = 1; next }
     code && /^```$/ { exit }
     code' "$source/README.md" >"$readme/game.c"
[[ -s $readme/game.c ]] || fail "no C program in the README's library section"
# Its archives alone, as where no shared library is installed.
static_prefix=$work/static-prefix
cp -a "$prefix" "$static_prefix"
find "$static_prefix" -name 'libwubble*.so*' -delete
static_pc_dir=${pc_dir/#$prefix/$static_prefix}
"$cc" -Wall -Wextra -Werror "$readme/game.c" $(pkg-config --cflags --libs wubble) \
  -Wl,-rpath,"$(pkg-config --variable=libdir wubble)" -o "$readme/pkg-config" ||
  fail "the README's program with pkg-config"
"$cc" -Wall -Wextra -Werror "$readme/game.c" \
  $(PKG_CONFIG_PATH=$static_pc_dir pkg-config --cflags --libs --static wubble) \
  -o "$readme/pkg-config-static" || fail "the README's program with pkg-config --static"
"$cc" -std=c99 -Wall -Wextra -pedantic -Werror "$source/examples/render_to_file.c" \
  $(PKG_CONFIG_PATH=$static_pc_dir pkg-config --cflags --libs --static wubble-generator) \
  -o "$readme/render_to_file-static" || fail "render_to_file with pkg-config --static"
# The static targets from a project whose only language is C.
cat >"$readme/CMakeLists.txt" <<END
cmake_minimum_required(VERSION 3.16)
project(CAlone LANGUAGES C)
find_package(Wubble REQUIRED)
add_executable(cmake-static game.c)
target_link_libraries(cmake-static PRIVATE Wubble::wubble_static)
add_executable(render_to_file-cmake-static "$source/examples/render_to_file.c")
target_link_libraries(render_to_file-cmake-static PRIVATE Wubble::generator_static)
END
{ "$cmake" -S "$readme" -B "$readme/build" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_COMPILER="$cc" &&
  "$cmake" --build "$readme/build"; } >"$readme/build.log" 2>&1 ||
  { cat "$readme/build.log"; fail "the static targets from a project of C alone"; }
"$render" 9837320 0 5 -o "$work/first.wav"
for game in pkg-config pkg-config-static build/cmake-static; do
  (cd "$readme" && rm -f wubble.wav && ALSOFT_DRIVERS=null timeout 20 "./$game") ||
    fail "the README's program ($game) exited with $?"
  cmp "$work/first.wav" "$readme/wubble.wav" || fail "the README's program ($game) saved another sound"
done
for program in render_to_file-static build/render_to_file-cmake-static; do
  "$readme/$program" "${numbers[@]}" "$work/static-render.wav" || fail "$program failed"
  cmp "$work/expected.wav" "$work/static-render.wav" || fail "$program differs from wubble-render"
done
for program in pkg-config-static build/cmake-static render_to_file-static \
               build/render_to_file-cmake-static; do
  ! needed "$readme/$program" | grep -q wubble || fail "$program needs a shared libwubble"
done

# The examples built with plain pkg-config find the library this way.
export LD_LIBRARY_PATH=$lib_dir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
for kind in shared static pkg-config; do
  "$work/$kind/render_to_file" "${numbers[@]}" "$work/$kind.wav" || fail "render_to_file ($kind)"
  cmp "$work/expected.wav" "$work/$kind.wav" || fail "render_to_file ($kind) differs from wubble-render"
  ! needed "$work/$kind/render_to_file" | grep -q openal || fail "render_to_file ($kind) needs OpenAL"
  ALSOFT_DRIVERS=null timeout 20 "$work/$kind/play_sound" 30 0 5 >"$work/$kind.out" ||
    fail "play_sound ($kind) exited with $?"
  grep -q '^playing$' "$work/$kind.out" || fail "play_sound ($kind) did not start: $(cat "$work/$kind.out")"
done
! needed "$work/static/render_to_file" | grep -q wubble || fail "the static render_to_file needs a shared libwubble"
! needed "$work/static/play_sound" | grep -q wubble || fail "the static play_sound needs a shared libwubble"

# The programs, their menu entries, icon and manual page.
programs=$work/programs
"$cmake" --install "$build" --prefix "$programs" --component wubble_programs >/dev/null
for program in wubble-scope wubble-lite wubble-render; do
  [[ -x $programs/bin/$program ]] || fail "$program not installed in bin/"
  ! ldd "$programs/bin/$program" | grep -q 'not found' || fail "$program misses a library once installed"
done
"$programs/bin/wubble-render" "${numbers[@]}" -o "$work/installed.wav"
cmp "$work/expected.wav" "$work/installed.wav" || fail "the installed wubble-render differs"
share=$programs/share
for program in wubble-scope wubble-lite; do
  entry=$share/applications/$program.desktop
  for line in "Exec=$program" "Icon=wubble" "StartupWMClass=$program"; do
    grep -qx "$line" "$entry" || fail "$entry lacks $line"
  done
done
[[ -f $share/icons/hicolor/scalable/apps/wubble.svg ]] || fail "no scalable icon"
for size in 16 32 48 64 128; do
  png=$share/icons/hicolor/${size}x$size/apps/wubble.png
  # The signature, then the IHDR chunk with the width and height.
  [[ $(od -An -tx1 -N24 "$png" | tr -d ' \n') == \
     89504e470d0a1a0a0000000d49484452$(printf '%08x%08x' "$size" "$size") ]] ||
    fail "$png is not a ${size}x$size PNG"
done
cmp "$source/tools/wubble-render.1" "$share/man/man1/wubble-render.1" ||
  fail "wubble-render's manual page not installed"
cmp "$source/app/wubble-scope.1" "$share/man/man1/wubble-scope.1" ||
  fail "the window programs' manual page not installed"
[[ $(readlink "$share/man/man1/wubble-lite.1") == wubble-scope.1 ]] ||
  fail "wubble-lite's manual page is not a link to wubble-scope's"
cmp "$source/tools/wubble-render.bash" "$share/bash-completion/completions/wubble-render" ||
  fail "wubble-render's bash completion not installed"
for program in wubble-scope wubble-lite; do
  grep -qx "  <launchable type=\"desktop-id\">$program.desktop</launchable>" "$share"/metainfo/*.metainfo.xml ||
    fail "no software-centre metadata installed for $program"
done
echo "all passed"
