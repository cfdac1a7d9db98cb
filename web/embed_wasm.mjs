// Writes a WebAssembly module as an ES module whose default export is the
// module's bytes in base64: node embed_wasm.mjs MODULE.wasm OUT.js
import { readFileSync, writeFileSync } from 'node:fs';

const [input, output] = process.argv.slice(2);
const text = readFileSync(input).toString('base64');
writeFileSync(output, `// The generator's WebAssembly module, made by the build.\nexport default '${text}';\n`);
