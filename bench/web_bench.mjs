// make bench-web: the web build against its goals, measured in one run.
//   1. The sounds of `make bench` rendered in chromium's WebAssembly and by
//      the native build (wubble_bench), in alternating rounds; the median
//      and the fastest of each, and the worst ratios (goal: at most 1.5).
//   2. The page ready (first sound made, controls live) after navigation,
//      over fresh loads from the local server; the median (goal: 300 ms),
//      and the bytes it transfers (goal: 200 KB).
//   3. The scope's work in each display frame while sounds play: its
//      main-thread time (goal: 2 ms) and its wall time.
// Run by scripts/web-run, which sets the environment of session.js and
// WUBBLE_BENCH (the native wubble_bench).
import { execFileSync } from 'node:child_process';

import { OpenPage, StartBrowser } from './session.js';

const kSounds = [['saw_5', 5], ['sine_13', 13], ['noise_14', 14], ['noise_1308', 1308],
  ['typical_9837320', 9837320], ['retrigger_73', 73]];
const kRounds = 10, kRepetitions = 3, kLoads = 10;
// Each repetition, on either side, is the mean time of the renders of a
// sound made one after another for this long, as wubble_bench times one.
const kBatchSeconds = 0.2;

const Median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

// Milliseconds of each repetition of each sound, natively.
function NativeRound() {
  const filter = `^Product/(${kSounds.map(([name]) => name).join('|')})$`;
  const out = execFileSync(process.env.WUBBLE_BENCH, [`--benchmark_filter=${filter}`,
    `--benchmark_repetitions=${kRepetitions}`, `--benchmark_min_time=${kBatchSeconds}`,
    '--benchmark_format=json'], { encoding: 'utf8',
    maxBuffer: 1 << 24 });
  const times = {};
  for (const run of JSON.parse(out).benchmarks) {
    if (run.run_type !== 'iteration') continue;
    (times[run.run_name.split('/')[1]] ??= []).push(run.real_time);
  }
  return times;
}

// The same in the page's module, warmed up first as the native run is.
function WasmRound(page) {
  return page.evaluate(async ([sounds, repetitions, batch_ms]) => {
    const { calls } = (await import('./main.js')).wubble;
    const image = calls.WebAllocate(260000);
    const times = {};
    for (const [name, seed] of sounds) {
      for (let k = 0; k < 3; k++) calls.RenderWubble(seed, 0, 5, image);
      times[name] = [];
      for (let k = 0; k < repetitions; k++) {
        const began = performance.now();
        let renders = 0, elapsed = 0;
        do {
          calls.RenderWubble(seed, 0, 5, image);
          renders++;
          elapsed = performance.now() - began;
        } while (elapsed < batch_ms);
        times[name].push(elapsed / renders);
      }
    }
    calls.WebRelease(image);
    return times;
  }, [kSounds, kRepetitions, kBatchSeconds * 1000]);
}

async function Renders(session) {
  const { page, close } = await OpenPage(session);
  const native = {}, wasm = {};
  for (let round = 0; round < kRounds; round++) {
    for (const [side, times] of [[native, NativeRound()], [wasm, await WasmRound(page)]]) {
      for (const [name, values] of Object.entries(times)) (side[name] ??= []).push(...values);
    }
  }
  await close();
  // On a shared machine the neighbours' load comes and goes for seconds at a
  // time: many short rounds give both sides the same share of it. The median
  // still moves from run to run with it, so the fastest is shown as well.
  console.log(`\nrender of the sounds of make bench, ms (${kRounds} rounds of ${kRepetitions} each side, ` +
    `each the mean over ${kBatchSeconds} s of renders)`);
  console.log('sound              median: native     wasm  ratio   fastest: native     wasm  ratio');
  const worst = { median: 0, fastest: 0 };
  for (const [name] of kSounds) {
    const row = [];
    for (const [kind, Of] of [['median', Median], ['fastest', (v) => Math.min(...v)]]) {
      const n = Of(native[name]), w = Of(wasm[name]);
      worst[kind] = Math.max(worst[kind], w / n);
      row.push(`${n.toFixed(2).padStart(15)}  ${w.toFixed(2).padStart(7)}  ${(w / n).toFixed(2).padStart(5)}`);
    }
    console.log(`${name.padEnd(18)}${row.join('  ')}`);
  }
  console.log(`worst ratio: of medians ${worst.median.toFixed(2)}, of the fastest ${worst.fastest.toFixed(2)} ` +
    '(goal: at most 1.5)');
}

async function Loads(session) {
  const ready = [], bytes = [];
  for (let k = 0; k < kLoads; k++) {
    const before = session.site.bytes();
    const { page, close } = await OpenPage(session);
    ready.push(await page.evaluate(() => performance.getEntriesByName('wubble-ready')[0].startTime));
    bytes.push(session.site.bytes() - before);
    await close();
  }
  console.log(`\npage ready after navigation, ${kLoads} fresh loads: median ${Median(ready).toFixed(0)} ms ` +
    `(least ${Math.min(...ready).toFixed(0)}, most ${Math.max(...ready).toFixed(0)}; goal: 300 ms)`);
  console.log(`page transfer: ${Math.max(...bytes)} bytes (goal: at most 200 KB, 204800 bytes)`);
}

// The main-thread time of each call of the scope's Frame while `play` runs,
// in ms: the thread's own CPU time, from chromium's trace.
async function TracedFrames(page, play) {
  const browser = page.context().browser();
  await browser.startTracing(page, { categories: ['devtools.timeline'] });
  await play();
  const trace = JSON.parse((await browser.stopTracing()).toString());
  return (trace.traceEvents ?? trace)
    .filter((e) => e.name === 'FunctionCall' && e.args?.data?.functionName === 'Frame')
    .map((e) => e.tdur / 1000);
}

function Spread(times) {
  const sorted = [...times].sort((a, b) => a - b);
  const At = (share) => sorted[Math.floor(share * sorted.length)].toFixed(2);
  return `median ${Median(times).toFixed(2)} ms, 95th percentile ${At(0.95)} ms, 99th ${At(0.99)} ms, ` +
    `over 2 ms ${times.filter((t) => t > 2).length}, most ${sorted[sorted.length - 1].toFixed(2)} ms`;
}

async function Frames(session) {
  const { page, close } = await OpenPage(session, { hash: '#9837320,0,64' });
  const thread = [], wall = [];
  for (const call of ['9837320,0,64', '1308,0,64', '73,2,100']) {
    await page.evaluate((c) => { location.hash = c; }, call);
    await page.waitForFunction((c) => document.getElementById('code').value === `CreateWubble(${c},1)`, call);
    // Only the frames of the play: none drawn since the page opened.
    await page.evaluate(async () => { (await import('./main.js')).scope.frame_times.splice(0); });
    thread.push(...await TracedFrames(page, async () => {
      await page.click('#play');
      // Until the sound has been heard to its end (an async predicate would
      // not do: waitForFunction takes the promise it returns as a true value).
      const heard = await page.evaluate(async () => {
        const { SoundPlaying } = (await import('./main.js')).player;
        const deadline = performance.now() + 20000;
        while (SoundPlaying() && performance.now() < deadline) {
          await new Promise((resolve) => requestAnimationFrame(resolve));
        }
        return !SoundPlaying();
      });
      if (!heard) throw new Error(`the sound ${call} was still playing after 20 s`);
    }));
    wall.push(...await page.evaluate(async () => {
      const { frame_times } = (await import('./main.js')).scope;
      return frame_times.splice(0);
    }));
  }
  await close();
  if (thread.length === 0) throw new Error('the trace has no calls of the scope\'s Frame');
  // Wall time also counts the time the main thread waited for a core, which
  // on a loaded 2-core machine can be milliseconds in any frame.
  console.log(`\nscope work per display frame, 3 sounds (goal: at most 2 ms of main-thread time)`);
  console.log(`  main-thread time, ${thread.length} frames: ${Spread(thread)}`);
  console.log(`  wall time, ${wall.length} frames: ${Spread(wall)}`);
}

const session = await StartBrowser();
try {
  await Renders(session);
  await Loads(session);
  await Frames(session);
} finally {
  await session.close();
}
