#!/usr/bin/env bash
# Installs the library into a temporary prefix and builds the examples against
# it the ways a game developer would: find_package with the shared and with
# the static libraries, and pkg-config with plain compiler commands. Each
# render_to_file must write wubble-render's file byte for byte; each
# play_sound must start its sound and end.
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
export LD_LIBRARY_PATH=$lib_dir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}

needed() { readelf -d "$1" | grep NEEDED || true; }

# A negative seed, mutation rounds and full volume.
numbers=(-424242 2 127)
"$render" "${numbers[@]}" -o "$work/expected.wav"
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
echo "all passed"
