// Bundled for a browser with esbuild and run by node: the bundle must carry
// the module and need nothing of node's. Prints the FNV-1a hash of the first
// sound, which the caller compares with the pinned one.
import { render } from 'wubble';

let hash = 0xcbf29ce484222325n;
for (const byte of render(9837320, 0, 5)) hash = BigInt.asUintN(64, (hash ^ BigInt(byte)) * 0x100000001b3n);
console.log(hash.toString(16));
