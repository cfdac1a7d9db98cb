// wubble: short retro sound effects from three numbers, the same bytes as
// the C library and wubble-render.
import { Bytes, calls } from './module.js';

const kImageBytes = 260000;

// The ranges wubble-render takes. Seeds are 32-bit patterns: -1 and
// 4294967295 name the same seed.
const kSeed = ['seed', -2147483648, 4294967295];
const kMutations = ['mutations', 0, 1000000];
const kVolume = ['volume', -128, 127];

// The names wubble-render --params prints, after the waveform, in its order.
const kParamNames = [
  'pitch_start', 'pitch_floor', 'pitch_slide', 'pitch_slide_accel', 'pulse_width',
  'pulse_width_sweep', 'wobble_depth', 'wobble_rate', 'spare_param', 'attack_time',
  'hold_time', 'release_time', 'punch', 'lowpass_resonance', 'lowpass_cutoff',
  'lowpass_sweep', 'highpass_cutoff', 'highpass_sweep', 'phaser_offset', 'phaser_sweep',
  'retrigger_rate', 'step_speed', 'step_ratio',
];

function Describe(value) {
  if (value === null || value === undefined) return String(value);
  if (typeof value === 'string') return `the string ${JSON.stringify(value.slice(0, 20))}`;
  return `${/^[aeiou]/.test(typeof value) ? 'an' : 'a'} ${typeof value}`;
}

// The 32 bits a checked number stands for; never a silent coercion.
function Checked([name, lowest, highest], value) {
  if (typeof value !== 'number') {
    throw new TypeError(`wubble: ${name} must be a number, not ${Describe(value)}`);
  }
  if (!Number.isInteger(value)) throw new RangeError(`wubble: ${name} ${value} is not an integer`);
  if (value < lowest || value > highest) {
    throw new RangeError(`wubble: ${name} ${value} is out of range ${lowest}..${highest}`);
  }
  return value | 0;
}

// One output buffer serves every render: each result is copied out of it.
const image = calls.WebAllocate(kImageBytes);

function Copied(length) {
  if (length === 0) throw new Error('wubble: out of memory');
  return Bytes(image, length).slice();
}

export function render(seed, mutations = 0, volume = 5) {
  const s = Checked(kSeed, seed), m = Checked(kMutations, mutations), v = Checked(kVolume, volume);
  return Copied(calls.RenderWubble(s, m, v, image));
}

export function params(seed, mutations = 0) {
  const s = Checked(kSeed, seed), m = Checked(kMutations, mutations);
  const view = new DataView(calls.memory.buffer, calls.WebParams(s, m), 4 * (1 + kParamNames.length));
  const record = { waveform: view.getInt32(0, true) };
  kParamNames.forEach((name, k) => { record[name] = view.getFloat32(4 + 4 * k, true); });
  return record;
}

// A generator left to the garbage collector gives its memory back then.
const unreleased = new FinalizationRegistry((pointer) => calls.WubbleFreeGenerator(pointer));

class Generator {
  #pointer;

  constructor(pointer) {
    this.#pointer = pointer;
    unreleased.register(this, pointer, this);
  }

  get freed() {
    return this.#pointer === 0;
  }

  render(seed, mutations = 0, volume = 5) {
    if (this.#pointer === 0) throw new Error('wubble: render on a freed generator');
    const s = Checked(kSeed, seed), m = Checked(kMutations, mutations), v = Checked(kVolume, volume);
    return Copied(calls.WubbleRender(this.#pointer, s, m, v, image));
  }

  free() {
    if (this.#pointer === 0) return;
    unreleased.unregister(this);
    calls.WubbleFreeGenerator(this.#pointer);
    this.#pointer = 0;
  }
}

export function createGenerator() {
  const pointer = calls.WubbleNewGenerator();
  if (pointer === 0) throw new Error('wubble: out of memory');
  return new Generator(pointer);
}
