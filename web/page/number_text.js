// The seed field's number text and the tool's call text, read and written
// by the desktop's own code in the module.
import { Bytes, calls } from './wubble/module.js';

const encoder = new TextEncoder();
const decoder = new TextDecoder();

// Runs `call` on a NUL-terminated copy of `text` in the module's memory.
function WithText(text, call) {
  const bytes = encoder.encode(text);
  const block = calls.WebAllocate(bytes.length + 1);
  if (block === 0) return null;
  const view = Bytes(block, bytes.length + 1);
  view.set(bytes);
  view[bytes.length] = 0;
  try {
    return call(block);
  } finally {
    calls.WebRelease(block);
  }
}

export function ParseInt(text) {
  return WithText(text, (block) => calls.WebParseInt(block)) ?? 0;
}

export function FormatInt(value) {
  const at = calls.WebFormatInt(value);
  const text = Bytes(at, 12);
  return decoder.decode(text.subarray(0, text.indexOf(0)));
}

// {seed, mutations, volume} of a call text "CreateWubble(S,M,V,SLOT)", or
// null. A text with a NUL in it is none: the module would read it short.
export function ParseCallText(text) {
  if (text.includes('\0')) return null;
  return WithText(text, (block) => {
    const at = calls.WebParseCallText(block);
    if (at === 0) return null;
    const [seed, mutations, volume] = new Int32Array(calls.memory.buffer, at, 3);
    return { seed, mutations, volume };
  });
}
