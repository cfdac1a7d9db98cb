#!/usr/bin/env bash
# Builds tests/library/consumer, a game that takes Wubble into its own CMake
# tree, both ways: add_subdirectory of the source tree, and FetchContent from
# a git repository (a local one made from the source tree, so no network).
# Either must configure without FLTK and OpenAL, link Wubble::generator and
# render the tool's first sound with its pinned bytes.
#
# subproject_test.sh CMAKE SOURCE_DIR WORK_DIR C_COMPILER CXX_COMPILER
set -euo pipefail
cmake=$1 source=$2 work=$3 cc=$4 cxx=$5
expected="175894 7f44ca8db70f46b8"

fail() { echo "FAILED: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"

# The repository holds the tree as it is now, committed or not.
repo=$work/repo
mkdir "$repo"
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  while IFS= read -r -d '' file; do
    [[ -f $source/$file ]] && (cd "$source" && cp --parents "$file" "$repo")
  done < <(git -C "$source" ls-files -z --cached --others --exclude-standard)
else
  tar -C "$source" --exclude='./build*' -cf - . | tar -C "$repo" -xf -
fi
git -C "$repo" init -q
git -C "$repo" add -A
git -C "$repo" -c user.name=test -c user.email=test@localhost commit -q -m tree

for from in subdirectory fetch; do
  case $from in
    subdirectory) origin=$source ;;
    fetch) origin=file://$repo ;;
  esac
  log=$work/$from.log
  "$cmake" -S "$source/tests/library/consumer" -B "$work/$from" \
    -DWUBBLE_FROM=$from -DWUBBLE_SOURCE="$origin" -DFETCHCONTENT_FULLY_DISCONNECTED=OFF \
    -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" >"$log" 2>&1 ||
    { cat "$log"; fail "configure ($from)"; }
  # Nothing of the programs or of playback was looked for.
  if grep -qiE '^(FLTK|OPENAL|LIBRARY_OPENAL|X11)[A-Z_]*:' "$work/$from/CMakeCache.txt"; then
    grep -iE '^(FLTK|OPENAL|LIBRARY_OPENAL|X11)' "$work/$from/CMakeCache.txt"
    fail "$from: the render-only build looked for FLTK, X11 or OpenAL"
  fi
  "$cmake" --build "$work/$from" --target first_sound -j 2 >>"$log" 2>&1 ||
    { cat "$log"; fail "build ($from)"; }
  got=$("$work/$from/first_sound") || fail "first_sound ($from) failed"
  [[ $got == "$expected" ]] || fail "$from: first sound is '$got', pinned '$expected'"
  echo "$from: Wubble::generator renders the pinned first sound"
done
rm -rf "$work"
