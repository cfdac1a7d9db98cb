// Compiled with tsc --strict against the installed package: the declarations
// take what the package takes and refuse what it refuses.
import { createGenerator, params, render, type EffectParams, type Generator } from 'wubble';

const image: Uint8Array = render(9837320, 0, 5);
const generator: Generator = createGenerator();
const next: Uint8Array = generator.render(9837320, 1);
generator.free();
const freed: boolean = generator.freed;
const record: EffectParams = params(9837320);
const cutoff: number = record.lowpass_cutoff;

// @ts-expect-error a seed is a number
render('9837320');
// @ts-expect-error a seed is needed
render();
// @ts-expect-error no such parameter
params(1).loudness;
// @ts-expect-error a generator's freed state is read-only
generator.freed = false;

export { image, next, freed, cutoff };
