# WebAssembly with Debian's emscripten; the programs run under node. Takes
# emscripten's own toolchain file from beside the emcc that is on the PATH.
find_program(WUBBLE_EMCC emcc REQUIRED)
get_filename_component(emcc_real ${WUBBLE_EMCC} REALPATH)
get_filename_component(emscripten_root ${emcc_real} DIRECTORY)
include(${emscripten_root}/cmake/Modules/Platform/Emscripten.cmake)
# The generator's work arrays and images outgrow the initial memory; a
# program's exit status is its main's. The WebAssembly goes inside the .js:
# this emscripten's loader would fetch() a separate .wasm when the node
# running it has fetch, which cannot read a file.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sSINGLE_FILE=1")
set(CMAKE_CROSSCOMPILING_EMULATOR node)
