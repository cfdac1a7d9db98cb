// The WebAssembly module of the generator, instantiated once, when this file
// is first imported. The module is carried inside wasm_bytes.js, so that
// node, a bundler and a page all load it the same way, with nothing fetched.
import wasmBase64 from './wasm_bytes.js';

function DecodeBase64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

let exports_ = null;

// What the C library asks of its host: the clock, which seeds the random
// source before a first seed is given (never, through the calls here), a
// note of memory growth, and an exit, which a library never makes.
const imports = {
  env: { emscripten_notify_memory_growth() {} },
  wasi_snapshot_preview1: {
    clock_time_get(clock, precision, out) {
      const nanoseconds = BigInt(Math.round(performance.now() * 1e6));
      new DataView(exports_.memory.buffer).setBigUint64(out, nanoseconds, true);
      return 0;
    },
    proc_exit(code) {
      throw new Error(`wubble: the generator stopped with status ${code}`);
    },
  },
};

const { instance } = await WebAssembly.instantiate(DecodeBase64(wasmBase64), imports);
exports_ = instance.exports;
exports_._initialize();

// The module's calls, by their C names.
export const calls = exports_;

// A view of the module's memory. Memory can grow at any call that
// allocates, which detaches every view taken before: take one per use.
export function Bytes(pointer, length) {
  return new Uint8Array(calls.memory.buffer, pointer, length);
}
