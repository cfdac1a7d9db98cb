// The oscilloscope strip on a canvas: the desktop's 190 x 64 picture, drawn
// by its own code in the module, of the sound in the module's wav_copy at the
// play position, redrawn on every display frame while a sound plays. Each
// picture pixel is a whole block of device pixels.
import { calls } from './wubble/module.js';
import { SoundCursor, SoundPlaying } from './player.js';

export const kScopeWidth = 190;
export const kScopeHeight = 64;
const kLargestScale = 8;

let canvas = null;
let painter = null;
let scale = 1;
let animating = false;

// The time each frame's drawing took, in ms, for the benchmark.
export const frame_times = [];
const kKeptFrameTimes = 600;

// Layout sizes are whole 64ths of a CSS pixel: a strip of 190 x scale device
// pixels keeps one canvas pixel a device pixel when its CSS size is one.
function ExactOnScreen(scale, ratio) {
  const units = (kScopeWidth * scale * 64) / ratio, height_units = (kScopeHeight * scale * 64) / ratio;
  return Math.abs(units - Math.round(units)) < 1e-6 && Math.abs(height_units - Math.round(height_units)) < 1e-6;
}

// The largest whole block that keeps the strip within `room` CSS pixels and
// exact on the screen, never smaller than the pixel ratio rounded down.
export function ChooseScale(room, ratio) {
  const least = Math.max(1, Math.floor(ratio));
  const fitting = Math.max(least, Math.min(kLargestScale, Math.floor((room * ratio) / kScopeWidth)));
  for (let scale = fitting; scale >= least; scale--) {
    if (ExactOnScreen(scale, ratio)) return scale;
  }
  return fitting;
}

function Fit() {
  const ratio = window.devicePixelRatio || 1;
  const room = Math.min(canvas.parentElement.clientWidth, 2 * kScopeWidth);
  scale = ChooseScale(room, ratio);
  canvas.width = kScopeWidth * scale;
  canvas.height = kScopeHeight * scale;
  canvas.style.width = `${canvas.width / ratio}px`;
  canvas.style.height = `${canvas.height / ratio}px`;
  painter = canvas.getContext('2d');
}

export function DrawScope(position) {
  const width = kScopeWidth * scale, height = kScopeHeight * scale;
  const pixels = new Uint8ClampedArray(calls.memory.buffer, calls.WebDrawScope(position, scale),
                                       width * height * 4);
  painter.putImageData(new ImageData(pixels, width, height), 0, 0);
  canvas.dataset.position = String(position);
}

function Frame() {
  const began = performance.now();
  DrawScope(SoundCursor());
  animating = SoundPlaying();
  if (frame_times.length === kKeptFrameTimes) frame_times.shift();
  frame_times.push(performance.now() - began);
  if (animating) requestAnimationFrame(Frame);
}

// After a sound is loaded, started or halted: the strip follows it from the
// next display frame until it has been heard to its end.
export function FollowSound() {
  if (animating) return;
  animating = true;
  requestAnimationFrame(Frame);
}

export function SetUpScope(element) {
  canvas = element;
  Fit();
  DrawScope(0);
  const refit = () => {
    Fit();
    DrawScope(SoundCursor());
  };
  window.addEventListener('resize', refit);
  // A move to a screen of another pixel ratio changes no size.
  const watchRatio = () => {
    matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener('change', () => {
      refit();
      watchRatio();
    }, { once: true });
  };
  watchRatio();
}
