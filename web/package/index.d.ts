// wubble: short retro sound effects from three numbers.
//
// seed: an integer from -2147483648 to 4294967295; all 32 bits count, so -1
// and 4294967295 are the same seed. mutations: rounds of mutation, 0 to
// 1000000 (default 0). volume: -128 to 127 (default 5; the tool's bar runs
// 0 to 127, and a negative volume inverts the wave). A number out of range
// or not an integer throws a RangeError, anything but a number a TypeError.

/** The WAV file of the sound, rendered as the first sound of a run: the
 * bytes of `wubble-render SEED MUTATIONS VOLUME -o FILE.wav`. */
export function render(seed: number, mutations?: number, volume?: number): Uint8Array;

/** A generator of its own, which carries the oscillator's position over
 * from one sound to the next as the tool's CreateWubble does. */
export interface Generator {
  /** The WAV file of the next sound; the first equals render()'s. Throws
   * once the generator is freed. */
  render(seed: number, mutations?: number, volume?: number): Uint8Array;
  /** Gives its memory (about 580 KiB) back; a second call does nothing. */
  free(): void;
  readonly freed: boolean;
}

export function createGenerator(): Generator;

/** The synthesis parameters, as `wubble-render SEED MUTATIONS --params`
 * prints them: each value the exact single-precision number printed. */
export interface EffectParams {
  /** 0 square, 1 saw, 2 sine, 3 noise */
  waveform: number;
  pitch_start: number;
  pitch_floor: number;
  pitch_slide: number;
  pitch_slide_accel: number;
  pulse_width: number;
  pulse_width_sweep: number;
  wobble_depth: number;
  wobble_rate: number;
  spare_param: number;
  attack_time: number;
  hold_time: number;
  release_time: number;
  punch: number;
  lowpass_resonance: number;
  lowpass_cutoff: number;
  lowpass_sweep: number;
  highpass_cutoff: number;
  highpass_sweep: number;
  phaser_offset: number;
  phaser_sweep: number;
  retrigger_rate: number;
  step_speed: number;
  step_ratio: number;
}

export function params(seed: number, mutations?: number): EffectParams;
