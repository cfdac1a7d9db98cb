// Sound slot 1 of the page, played through WebAudio at 44100 Hz: load, start
// from the first sample, halt, and the play position being heard. Browsers
// let audio start only in a user's gesture, so the context is made by the
// first one (UnlockAudio); until then sounds are loaded and not heard.
export const kSampleRate = 44100;

let context = null;
let samples = new Float32Array(0);  // the loaded sound, int16 / 32768
let buffer = null;                  // `samples` in the context, made on first play
let source = null;                  // the node playing, null when halted
let started_at = 0;                 // its start, in context time
let heard_frame = 0;                // the furthest frame of it heard so far
let starts = 0;                     // sounds started since the page opened

// The sample data of a WAV image as float32: int16 / 32768 is exact.
export function SamplesOf(image, length) {
  const count = Math.max(0, (length - 46) >> 1);
  const view = new DataView(image.buffer, image.byteOffset, length);
  const out = new Float32Array(count);
  for (let k = 0; k < count; k++) out[k] = view.getInt16(46 + 2 * k, true) / 32768;
  return out;
}

// The graph of a sound: its buffer straight to the output. The same on an
// OfflineAudioContext renders what is heard.
export function ConnectSound(audio, sound) {
  const node = new AudioBufferSourceNode(audio, { buffer: sound });
  node.connect(audio.destination);
  return node;
}

export function BufferOf(audio, sound_samples) {
  const made = audio.createBuffer(1, sound_samples.length, kSampleRate);
  made.copyToChannel(sound_samples, 0);
  return made;
}

// True when the browser has WebAudio at all.
export function AudioExists() {
  return typeof globalThis.AudioContext === 'function';
}

// In a gesture: makes the context, or resumes it when the browser has
// suspended it. `onFailure` hears of a context that cannot start.
export function UnlockAudio(onFailure) {
  if (!AudioExists()) return;
  try {
    if (!context) context = new AudioContext({ sampleRate: kSampleRate, latencyHint: 'interactive' });
    if (context.state === 'suspended') context.resume().catch(onFailure);
  } catch (error) {
    context = null;
    onFailure(error);
  }
}

export function LoadSound(image, length) {
  HaltSound();
  samples = SamplesOf(image, length);
  buffer = null;
}

// Restarts the loaded sound from its first sample; false when it cannot
// be heard (no context yet, or a sound of no samples).
export function StartSound() {
  HaltSound();
  if (!context || context.state === 'closed' || samples.length === 0) return false;
  if (!buffer) buffer = BufferOf(context, samples);
  source = ConnectSound(context, buffer);
  started_at = context.currentTime;
  heard_frame = 0;
  source.start(started_at);
  starts++;
  return true;
}

export function HaltSound() {
  if (!source) return;
  source.stop();
  source.disconnect();
  source = null;
}

export function StartCount() {
  return starts;
}

// The context time being heard now: the output's own stamp carried on to
// this moment where the browser gives one, else its time less its latency.
// Carried on, a stamp can run past what has been mixed when the audio thread
// is late; nothing is heard before it is mixed.
function HeardTime() {
  const stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
  if (stamp && stamp.contextTime > 0) {
    return Math.min(context.currentTime,
                    stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000);
  }
  return context.currentTime - (context.outputLatency || context.baseLatency || 0);
}

// The byte of the sample data being heard, in whole frames, as the desktop's
// SoundCursor: 0 until the first frame is heard, and 0 again, the sound
// done, once the last one has been. It never steps back within a play: a
// fresh output stamp may be behind the last one carried on.
export function SoundCursor() {
  if (!source) return 0;
  heard_frame = Math.max(heard_frame, Math.floor((HeardTime() - started_at) * kSampleRate));
  if (heard_frame >= samples.length) {
    HaltSound();
    return 0;
  }
  return 2 * heard_frame;
}

// True from a start until the sound has been heard to its end or halted.
export function SoundPlaying() {
  return source !== null;
}

// For the tests: the buffer of the sound that plays or last played.
export function CurrentBuffer() {
  return buffer;
}
