// The tool's main line in the page, step for step the window's: the three
// values, the refresh mode, the actions of the controls and the refresh step
// that makes, shows and plays each sound. Each DOM event is one pass of the
// window's loop: its control event, then the refresh step when one is due.
import { Bytes, calls } from './wubble/module.js';
import { AddressOf, ShowAddress } from './address.js';
import { FormatInt, ParseCallText, ParseInt } from './number_text.js';
import { HaltSound, LoadSound, StartSound } from './player.js';
import { FollowSound } from './scope.js';

export const RandomButton = 1, SeedField = 2, SeedMinusButton = 3, SeedPlusButton = 4,
  PlayButton = 5, MutateButton = 6, CodeField = 7, VolumeLabel = 8, VolumeBar = 9;
export const Activated = 0, TextChanged = 768, TextOffered = 14002;
const RefreshNone = 0, RefreshRewriteSeed = 1, RefreshKeepSeedText = 2;
const kLowestVolume = 0, kHighestVolume = 127;

export const shell = {
  seed: 9837320,
  mutations: 0,
  volume: 5,
  refresh: RefreshRewriteSeed,
  length: 0,       // content length of the image in wav_copy
  made: 0,         // sounds made since the page opened
  address: 'push', // how the next sound's address enters the history
};

let controls = null;

// The page's generator, as the window's program-wide one: each sound
// carries the oscillator over from the one before. Each sound is made into
// the module's wav_copy, which the scope reads, as CreateWubble copies it
// into the window's.
const generator = calls.WubbleNewGenerator();
const wav_copy = calls.WebScopeImage();

// Sums wrap in 32 bits: "+" on 2147483647 gives -2147483648.
function WrapAdd(value, delta) {
  return (value + delta) | 0;
}

function NewSeed(seed, refresh) {
  shell.seed = seed;
  shell.mutations = 0;
  shell.refresh = refresh;
}

// "-" and "+" step from the text in the field, not from `seed`.
function SeedFieldValue() {
  return ParseInt(controls.seed.value);
}

// The three values of a call text (pasted, or from the address). A volume
// below the bar's range sets it to 0.
export function LoadValues(call) {
  shell.seed = call.seed;
  shell.mutations = call.mutations;
  const volume = Math.min(Math.max(call.volume, kLowestVolume), kHighestVolume);
  controls.volume.value = String(volume);
  shell.refresh = RefreshRewriteSeed;
}

// Any other pasted text, and a call text beyond what wubble-render takes,
// changes nothing.
function LoadCallText(text) {
  const call = ParseCallText(text);
  if (call !== null) LoadValues(call);
}

function ActOnControl(id, kind, text) {
  switch (id) {
    case RandomButton:
      NewSeed(calls.WebRandomSeed(Date.now() | 0), RefreshRewriteSeed);
      break;
    case SeedField:
      if (kind === TextChanged) NewSeed(SeedFieldValue(), RefreshKeepSeedText);
      if (kind === TextOffered) LoadCallText(text);
      break;
    case SeedMinusButton: NewSeed(WrapAdd(SeedFieldValue(), -1), RefreshRewriteSeed); break;
    case SeedPlusButton: NewSeed(WrapAdd(SeedFieldValue(), 1), RefreshRewriteSeed); break;
    case PlayButton:
      StartSound();
      FollowSound();
      break;
    case MutateButton:
      shell.mutations = WrapAdd(shell.mutations, 1);
      shell.refresh = RefreshRewriteSeed;
      break;
    case VolumeBar:
      HaltSound();
      shell.refresh = RefreshRewriteSeed;
      break;
    default: break;
  }
}

function RefreshStep() {
  shell.volume = (Number(controls.volume.value) << 24) >> 24;  // a signed byte, as the window's
  shell.length = calls.WubbleRender(generator, shell.seed, shell.mutations, shell.volume, wav_copy);
  shell.made++;
  LoadSound(Bytes(wav_copy, shell.length), shell.length);
  if (shell.refresh < RefreshKeepSeedText) controls.seed.value = FormatInt(shell.seed);
  controls.mutate.textContent = `Mutate: ${FormatInt(shell.mutations)}`;
  controls.code.value = `CreateWubble(${FormatInt(shell.seed)},${FormatInt(shell.mutations)},` +
    `${FormatInt(shell.volume)},1)`;
  ShowAddress(shell.seed, shell.mutations, shell.volume, shell.address);
  shell.address = 'push';
  StartSound();
  FollowSound();
  shell.refresh = RefreshNone;
}

// One pass: the event, then the refresh it made due. `address` says how
// the sound it makes enters the history (see ShowAddress).
export function HandleEvent(id, kind, text = '', address = 'push') {
  ActOnControl(id, kind, text);
  shell.address = address;
  if (shell.refresh > RefreshNone) RefreshStep();
}

// The sound of an address from the history or a link, as a pasted call
// text loads it.
export function LoadSoundOf(call, address) {
  LoadValues(call);
  shell.address = address;
  RefreshStep();
}

// The first pass: the first sound, or the one `call` names, made and
// loaded; it is heard from the first gesture on.
export function StartShell(elements, call) {
  controls = elements;
  if (call) LoadValues(call);
  shell.address = 'replace';
  RefreshStep();
}

export const kFirstSound = { seed: 9837320, mutations: 0, volume: 5 };

// The WAV file of the sound last made, the very bytes loaded to be heard.
export function SoundFile() {
  const name = `wubble_${AddressOf(shell.seed, shell.mutations, shell.volume).slice(1).replaceAll(',', '_')}.wav`;
  return { bytes: Bytes(wav_copy, shell.length).slice(), name };
}
