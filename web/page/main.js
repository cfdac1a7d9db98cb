// The page's start: the controls bound to the shell, the address read, the
// first sound made, and audio started by the first gesture.
import { AddressOf, ReadAddress, ShowAddress } from './address.js';
import { ShortcutOf } from './keys.js';
import { AudioExists, StartCount, StartSound, UnlockAudio } from './player.js';
import { FollowSound, SetUpScope } from './scope.js';
import {
  Activated, HandleEvent, LoadSoundOf, MutateButton, PlayButton, RandomButton, SeedField,
  SeedMinusButton, SeedPlusButton, SoundFile, StartShell, TextChanged, TextOffered, VolumeBar,
  kFirstSound, shell,
} from './shell.js';

// The page's modules by name, for its tests and benchmark: built, the page
// is this one script, so they cannot be imported one by one.
export * as player from './player.js';
export * as scope from './scope.js';
export * as shell_module from './shell.js';
export * as wubble from './wubble/module.js';

const $ = (id) => document.getElementById(id);
const controls = { seed: $('seed'), mutate: $('mutate'), code: $('code'), volume: $('volume') };

const kNoSound = 'This browser cannot play sound here: sounds are still made, shown and saved.';
const kBadLink = 'That link was not understood, so this is the first sound.';

function Note(id, text) {
  $(id).textContent = text;
  $(id).hidden = false;
}

// A control's event; a sound the user makes ends the note about a link.
function Act(id, kind, text = '', address = 'push') {
  $('link-note').hidden = true;
  HandleEvent(id, kind, text, address);
}

const linked = ReadAddress(location.hash);
StartShell(controls, linked ?? undefined);
// After the first sound: the strip's first picture is of it, and its drawing
// code is compiled now rather than in a frame of the first play.
SetUpScope($('scope'));
if (linked === null) Note('link-note', kBadLink);
if (!AudioExists()) Note('sound-note', kNoSound);

for (const [id, control] of [['random', RandomButton], ['seed-minus', SeedMinusButton],
  ['seed-plus', SeedPlusButton], ['play', PlayButton], ['mutate', MutateButton]]) {
  $(id).addEventListener('click', () => Act(control, Activated));
}

// The seed field takes typed digits only. Pasted or dropped digits go in as
// typed ones; any other text is offered to the shell, which loads a call
// text and refuses the rest, and the field keeps its text.
const IsDigits = (text) => /^[0-9]+$/.test(text);
controls.seed.addEventListener('beforeinput', (event) => {
  if (event.inputType === 'insertFromPaste' || event.inputType === 'insertFromDrop') return;
  if (event.data !== null && !IsDigits(event.data)) event.preventDefault();
});
function Offer(event, text) {
  if (IsDigits(text)) return;
  event.preventDefault();
  Act(SeedField, TextOffered, text);
}
controls.seed.addEventListener('paste', (event) => Offer(event, event.clipboardData?.getData('text/plain') ?? ''));
controls.seed.addEventListener('drop', (event) => Offer(event, event.dataTransfer?.getData('text/plain') ?? ''));
controls.seed.addEventListener('input', () => Act(SeedField, TextChanged));

// Every move of the volume bar makes its sound; one drag of it makes one
// entry in the history, the sound it ends on.
let dragging = false, dragged = false;
controls.volume.addEventListener('pointerdown', () => { dragging = true; dragged = false; });
for (const type of ['pointerup', 'pointercancel']) window.addEventListener(type, () => { dragging = false; });
controls.volume.addEventListener('input', () => {
  Act(VolumeBar, Activated, '', dragging && dragged ? 'replace' : 'push');
  dragged = dragging;
});

// Saves the sound last made; its name names the three numbers. The file's
// address lives until the next download.
let file_url = null;
function Download() {
  const file = SoundFile();
  if (file_url) URL.revokeObjectURL(file_url);
  file_url = URL.createObjectURL(new Blob([file.bytes], { type: 'audio/wav' }));
  const link = document.createElement('a');
  link.href = file_url;
  link.download = file.name;
  link.click();
}
$('download').addEventListener('click', Download);

function StepVolume(delta) {
  controls.volume.value = String(Number(controls.volume.value) + delta);
  Act(VolumeBar, Activated);
}
const actions = {
  random: () => Act(RandomButton, Activated),
  'seed-minus': () => Act(SeedMinusButton, Activated),
  'seed-plus': () => Act(SeedPlusButton, Activated),
  play: () => Act(PlayButton, Activated),
  mutate: () => Act(MutateButton, Activated),
  'volume-down': () => StepVolume(-1),
  'volume-up': () => StepVolume(1),
  download: Download,
};
document.addEventListener('keydown', (event) => {
  const action = ShortcutOf(event, controls.code);
  if (action === null) return;
  event.preventDefault();
  actions[action]();
});

// Back and Forward bring the sounds heard before; an address typed by hand
// that is no sound leaves the sound as it is.
window.addEventListener('popstate', () => {
  const call = ReadAddress(location.hash);
  if (call === null) {
    Note('link-note', 'That address was not understood; the sound stays as it was.');
    ShowAddress(shell.seed, shell.mutations, shell.volume, 'replace');
    return;
  }
  $('link-note').hidden = true;
  LoadSoundOf(call ?? kFirstSound, 'keep');
});

// Browsers start audio in a gesture only: each one may make or resume the
// context (a tap counts when it ends, a click or key when it begins). The
// gesture does what it does, and when that made no sound heard, the sound
// waiting since the page opened plays once it is over.
function Unlock(event) {
  if (!event.isTrusted || !AudioExists()) return;
  if (navigator.userActivation && !navigator.userActivation.isActive) return;
  UnlockAudio(() => Note('sound-note', 'Sound could not start in this browser: sounds are still made, shown and saved.'));
}
function PlayWaiting(event) {
  if (!event.isTrusted || StartCount() > 0) return;
  // A tap's click comes in a task of its own after the touch ends: the
  // gesture is over with the click.
  if (event.type === 'pointerup' && event.pointerType === 'touch') return;
  setTimeout(() => {
    if (StartCount() === 0 && StartSound()) FollowSound();
  }, 0);
}
for (const type of ['pointerdown', 'pointerup', 'touchend', 'click', 'keydown']) {
  window.addEventListener(type, Unlock, { capture: true });
}
for (const type of ['pointerup', 'click', 'keyup']) window.addEventListener(type, PlayWaiting, { capture: true });

document.documentElement.dataset.ready = AddressOf(shell.seed, shell.mutations, shell.volume);
performance.mark('wubble-ready');
