#!/usr/bin/env bash
# The Windows tests, in the session of scripts/windows-session: the playback
# service's tests under wine with the sink and with no server; the toolkit's
# tests under wine; the programs driven from here (windows_program_tests of
# the native build); the import and export tables of every .exe and .dll of
# the package; C and C++ programs built against the package's DLLs.
#
#   run_all.sh SOURCE_DIR NATIVE_BUILD_DIR WINDOWS_BUILD_DIR PACKAGE_DIR
set -uo pipefail
source=$1 native=$2 out=$3 package=$4
tests=$out/build/tests/windows
log() { echo "test-windows: $*"; }
results=()
failed=0
Result() {  # Result NAME STATUS SECONDS
  local verdict=passed
  [[ $2 -eq 0 ]] || { verdict=FAILED; failed=1; }
  results+=("$(printf '%-7s %4d s  %s' "$verdict" "$3" "$1")")
}

# wine ends a crashed program with status 0: a googletest run counts when
# its log says it passed.
RunGtest() {  # RunGtest NAME LOG PROGRAM [ARG...]
  local name=$1 output=$2 begun=$SECONDS
  shift 2
  timeout 600 "$@" >"$output" 2>&1
  local status=$?
  [[ $status -eq 0 ]] && grep -aq '^\[  PASSED  \]' "$output" && ! grep -aq '^\[  FAILED  \]' "$output"
  status=$?
  [[ $status -eq 0 ]] || tail -c 6000 "$output"
  log "$name: $(grep -a 'tests\? from .* ran' "$output" | tail -1)"
  grep -a -v '^\[\|^Running main\|^Note:\|^$' "$output" | grep -a -v ' Failure$' | head -20
  Result "$name" $status $((SECONDS - begun))
}

RunGtest "DirectSound service with a device" "$out/sound-device.log" \
  wine "$tests/windows_sound_tests.exe" --gtest_filter='Device.*'
PULSE_SERVER=unix:$WUBBLE_SESSION_DIR/no-server RunGtest "DirectSound service without a server" \
  "$out/sound-no-device.log" wine "$tests/windows_sound_tests.exe" --gtest_filter='NoDevice.*'
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;dsound=" RunGtest "DirectSound service without DSOUND.DLL" \
  "$out/sound-no-dsound.log" wine "$tests/windows_sound_tests.exe" --gtest_filter='NoDevice.*'
RunGtest "window toolkit" "$out/toolkit.log" wine "$tests/windows_toolkit_tests.exe"

# The programs as packaged, with the probe beside them.
bin=$out/test-bin
rm -rf "$bin" && mkdir -p "$bin"
cp "$package"/bin/*.exe "$tests/window_probe.exe" "$bin/"
WUBBLE_WINDOWS_BIN=$bin RunGtest "programs under wine" "$out/programs.log" \
  "$native/tests/windows/windows_program_tests"

begun=$SECONDS
"$source/tests/windows/check_pe_tables.sh" "$package" "$source/include/wubble.h"
Result "import and export tables" $? $((SECONDS - begun))

begun=$SECONDS
"$source/tests/windows/check_consumer.sh" "$package" "$source" "$out/consumer" "$native/tools/wubble-render"
Result "C and C++ programs against the DLLs" $? $((SECONDS - begun))

echo
for line in "${results[@]}"; do echo "  $line"; done
exit $failed
