// The npm package as a project gets it (installed from its tarball), against
// the native build of the same run: wubble-render's files and parameter
// records, and the desktop's CreateWubble sequences (web_reference).
//   WUBBLE_RENDER         the native wubble-render
//   WUBBLE_WEB_REFERENCE  the native web_reference
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';

import { createGenerator, params, render } from 'wubble';

const native_render = process.env.WUBBLE_RENDER;
const web_reference = process.env.WUBBLE_WEB_REFERENCE;

function Fnv1a64(bytes) {
  let hash = 0xcbf29ce484222325n;
  for (const byte of bytes) hash = BigInt.asUintN(64, (hash ^ BigInt(byte)) * 0x100000001b3n);
  return hash;
}

// The images web_reference writes: each a 4-byte length and the content.
function NativeSequence(calls) {
  const out = execFileSync(web_reference, ['images', ...calls.map((c) => c.join(','))],
                           { maxBuffer: 1 << 30 });
  const images = [];
  for (let at = 0; at < out.length;) {
    const length = out.readUInt32LE(at);
    images.push(out.subarray(at + 4, at + 4 + length));
    at += 4 + length;
  }
  assert.equal(images.length, calls.length);
  return images;
}

// Varied numbers from a fixed sequence of their own, the edges first.
function VariedCalls(count, state) {
  const calls = [[9837320, 0, 5], [0, 0, 5], [1, 1, 127], [-1, 0, -128], [4294967295, 2, 0],
    [-2147483648, 3, 64], [2147483647, 0, 1], [73, 40, 5], [1308, 0, -1], [5, 100, 5]];
  const next = () => (state = (Math.imul(state, 1664525) + 1013904223) >>> 0);
  while (calls.length < count) {
    const seed = next() | 0, rounds = next() >>> 24;
    calls.push([seed, rounds < 200 ? rounds % 4 : rounds, (next() >>> 24) - 128]);
  }
  return calls;
}

test('the pinned hashes of the released generator', () => {
  const pinned = [
    [9837320, 0, 5, 175894, 0x7f44ca8db70f46b8n],
    [9837320, 3, 5, 175138, 0x549d3267811880d3n],
    [123, 0, 127, 198854, 0x0ac9f8f2af0d0657n],
    [-1, 0, 5, 173104, 0xbdc7f1c4fc41b4bfn],
    [-2000000000, 7, 64, 132886, 0x8fc0f1a9973ddf24n],
  ];
  // Twice, in opposite orders: nothing may leak from one render into the next.
  for (const row of [...pinned, ...[...pinned].reverse()]) {
    const [seed, mutations, volume, length, hash] = row;
    const image = render(seed, mutations, volume);
    assert.equal(image.length, length, `render(${seed}, ${mutations}, ${volume})`);
    assert.equal(Fnv1a64(image), hash, `render(${seed}, ${mutations}, ${volume})`);
  }
  assert.deepEqual(render(9837320), render(9837320, 0, 5), 'the defaults are those of wubble-render');
});

test('200 varied sounds are the files of the native wubble-render', () => {
  const calls = VariedCalls(200, 20240501);
  const dir = mkdtempSync(join(tmpdir(), 'wubble-package-'));
  try {
    const list = calls.map(([s, m, v], k) => `${s} ${m} ${v} sound${k}`).join('\n');
    writeFileSync(join(dir, 'list.txt'), `${list}\n`);
    execFileSync(native_render, ['--batch', join(dir, 'list.txt'), '-d', dir, '-j', '2']);
    calls.forEach(([s, m, v], k) => {
      const file = readFileSync(join(dir, `sound${k}.wav`));
      assert.ok(Buffer.from(render(s, m, v)).equals(file), `render(${s}, ${m}, ${v})`);
    });
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
});

test('a generator carries the oscillator over like the desktop CreateWubble calls', () => {
  const sequences = [VariedCalls(40, 777), VariedCalls(40, 31337).slice(10),
    [[9837320, 0, 5], [9837320, 0, 5], [9837320, 1, 5], [9837320, 1, 6], [14, 0, 5], [14, 0, 5]]];
  for (const calls of sequences) {
    const expected = NativeSequence(calls);
    const generator = createGenerator();
    // A second generator and the plain render between its sounds change
    // nothing of its own sequence.
    const other = createGenerator();
    calls.forEach(([s, m, v], k) => {
      other.render(s ^ 1, m, v);
      render(s, m + 1, v);
      assert.ok(Buffer.from(generator.render(s, m, v)).equals(expected[k]),
                `sound ${k}, CreateWubble(${s},${m},${v},1)`);
    });
    generator.free();
    other.free();
  }
  const first = createGenerator();
  assert.deepEqual(first.render(73, 2, 9), render(73, 2, 9), 'a new generator starts as render()');
  first.free();
});

test('the parameter records are those wubble-render --params prints', () => {
  for (const [seed, mutations] of VariedCalls(24, 99)) {
    const text = execFileSync(native_render, [String(seed), String(mutations), '--params'],
                              { encoding: 'utf8' });
    const printed = text.trim().split('\n').map((line) => line.split(' '));
    const record = params(seed, mutations);
    assert.deepEqual(Object.keys(record), printed.map(([name]) => name), 'names in order');
    for (const [name, value] of printed) {
      assert.equal(record[name], Math.fround(Number(value)), `params(${seed}, ${mutations}).${name}`);
    }
  }
  assert.deepEqual(params(4294967295, 0), params(-1), 'the same 32 bits are the same seed');
});

test('bad arguments throw errors that name them', () => {
  const freed = createGenerator();
  freed.free();
  freed.free();  // twice is harmless
  const cases = [
    [() => render('1'), TypeError, /seed must be a number, not the string "1"/],
    [() => render(), TypeError, /seed must be a number, not undefined/],
    [() => render(null), TypeError, /seed must be a number, not null/],
    [() => render({}), TypeError, /seed must be a number, not an object/],
    [() => render(1n), TypeError, /seed must be a number, not a bigint/],
    [() => render(1.5), RangeError, /seed 1.5 is not an integer/],
    [() => render(NaN), RangeError, /seed NaN is not an integer/],
    [() => render(Infinity), RangeError, /seed Infinity is not an integer/],
    [() => render(4294967296), RangeError, /seed 4294967296 is out of range -2147483648..4294967295/],
    [() => render(-2147483649), RangeError, /seed -2147483649 is out of range/],
    [() => render(1, -1), RangeError, /mutations -1 is out of range 0..1000000/],
    [() => render(1, 1000001), RangeError, /mutations 1000001 is out of range/],
    [() => render(1, '2'), TypeError, /mutations must be a number/],
    [() => render(1, 0, 128), RangeError, /volume 128 is out of range -128..127/],
    [() => render(1, 0, -129), RangeError, /volume -129 is out of range/],
    [() => render(1, 0, 0.5), RangeError, /volume 0.5 is not an integer/],
    [() => render(1, 0, true), TypeError, /volume must be a number, not a boolean/],
    [() => params('x'), TypeError, /seed must be a number/],
    [() => params(1, 2.5), RangeError, /mutations 2.5 is not an integer/],
    [() => createGenerator().render(1, 0, 200), RangeError, /volume 200 is out of range/],
    [() => freed.render(1, 0, 5), Error, /freed generator/],
  ];
  for (const [call, type, message] of cases) assert.throws(call, (error) => {
    assert.equal(error.constructor, type, `${call}`);
    assert.match(error.message, message);
    return true;
  });
  assert.equal(freed.freed, true);
});
