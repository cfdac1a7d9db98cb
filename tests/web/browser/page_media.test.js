// What the page plays and draws, against the desktop: the samples that reach
// the audio output, and the scope strip pixel for pixel at several play
// positions, fixed and live, at device pixel ratios 1 and 2.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import {
  NativeFile, NativePictures, OpenPage, StartBrowser, State, WaitForState,
} from './session.js';

let session;
before(async () => { session = await StartBrowser(); });
after(async () => { await session.close(); });

// A loud sound, so that the trace leaves the middle line.
const kCall = '9837320,0,64';

// The canvas as it stands, with the play position it shows.
function Canvas(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('scope');
    const { data } = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
    let binary = '';
    for (let at = 0; at < data.length; at += 0x8000) {
      binary += String.fromCharCode(...data.subarray(at, at + 0x8000));
    }
    return { width: canvas.width, height: canvas.height, css: canvas.getBoundingClientRect().width,
             position: Number(canvas.dataset.position), pixels: btoa(binary) };
  });
}

// The canvas equals the native picture with each pixel a scale x scale block.
function AssertPicture(canvas, picture, what) {
  const scale = canvas.width / 190;
  assert.ok(Number.isInteger(scale) && canvas.height === 64 * scale, `${what}: whole blocks`);
  const pixels = Buffer.from(canvas.pixels, 'base64');
  let differing = 0;
  for (let y = 0; y < canvas.height; y++) {
    for (let x = 0; x < canvas.width; x++) {
      const from = (Math.floor(y / scale) * 190 + Math.floor(x / scale)) * 3, to = (y * canvas.width + x) * 4;
      if (pixels[to] !== picture[from] || pixels[to + 1] !== picture[from + 1] ||
          pixels[to + 2] !== picture[from + 2] || pixels[to + 3] !== 255) differing++;
    }
  }
  assert.equal(differing, 0, `${what}: pixels differing from the desktop's picture`);
}

test('the scope strip is the desktop picture at fixed and live play positions', async () => {
  const image = NativeFile(kCall);
  const samples = image.length - 46;
  for (const ratio of [1, 2]) {
    const { page, problems, close } = await OpenPage(session, {
      hash: `#${kCall}`, context: { deviceScaleFactor: ratio } });
    const fixed = [0, 2, 1000, 33334, samples - 2, samples, samples + 200];
    const pictures = NativePictures(image, fixed);
    for (const [k, position] of fixed.entries()) {
      await page.evaluate(async (p) => (await import('./main.js')).scope.DrawScope(p), position);
      const canvas = await Canvas(page);
      assert.equal(canvas.css * ratio, canvas.width, 'one canvas pixel a device pixel');
      AssertPicture(canvas, pictures[k], `ratio ${ratio}, position ${position}`);
    }
    const start = await Canvas(page);
    assert.equal(start.position, samples + 200, 'nothing redraws the strip while nothing plays');

    // While the sound plays, frames at the positions they show. A busy
    // machine may draw few frames in one play: "Play" again, a few times.
    // Until the first frame after "Play" the strip still shows the position
    // drawn before it.
    const seen = [];
    for (let plays = 0; seen.length < 4; plays++) {
      assert.ok(plays < 8, `ratio ${ratio}: ${seen.length} live frames in ${plays} plays`);
      const before_play = (await Canvas(page)).position;
      await page.click('#play');
      const frames = [];
      while (seen.length + frames.length < 4) {
        const canvas = await Canvas(page);
        if (canvas.position > 0 && canvas.position !== before_play &&
            !frames.some((c) => c.position === canvas.position)) frames.push(canvas);
        if (!(await State(page)).playing) break;
      }
      const positions = frames.map((c) => c.position);
      assert.ok(positions.every((p, k) => k === 0 || p > positions[k - 1]),
                `ratio ${ratio}: the trace moves on (${positions}, after ${before_play})`);
      seen.push(...frames);
    }
    const live = NativePictures(image, seen.map((c) => c.position));
    seen.forEach((canvas, k) => AssertPicture(canvas, live[k], `ratio ${ratio}, live at ${canvas.position}`));

    // Heard to its end, the strip shows the middle line alone.
    await WaitForState(page, (s) => !s.playing, 'the sound to end');
    await page.waitForFunction(() => document.getElementById('scope').dataset.position === '0');
    AssertPicture(await Canvas(page), NativePictures(image, [0])[0], `ratio ${ratio}, after the end`);
    assert.deepEqual(problems, []);
    await close();
  }
});

test('the samples played are those of the native image', async () => {
  const { page, problems, close } = await OpenPage(session, { hash: `#${kCall}` });
  await page.click('#play');
  await WaitForState(page, (s) => s.playing, 'the sound to play');
  // The buffer that plays, through the page's own graph, rendered offline.
  const played = await page.evaluate(async () => {
    const { ConnectSound, CurrentBuffer } = (await import('./main.js')).player;
    const buffer = CurrentBuffer();
    const offline = new OfflineAudioContext(1, buffer.length, buffer.sampleRate);
    ConnectSound(offline, buffer).start(0);
    const out = (await offline.startRendering()).getChannelData(0);
    const ints = Int16Array.from(out, (x) => Math.round(x * 32768));
    let binary = '';
    const bytes = new Uint8Array(ints.buffer);
    for (let at = 0; at < bytes.length; at += 0x8000) {
      binary += String.fromCharCode(...bytes.subarray(at, at + 0x8000));
    }
    return { rate: buffer.sampleRate, channels: buffer.numberOfChannels, samples: btoa(binary) };
  });
  assert.equal(played.rate, 44100);
  assert.equal(played.channels, 1);
  const native = NativeFile(kCall).subarray(46);
  assert.ok(Buffer.from(played.samples, 'base64').equals(native), 'every sample as the native one');
  assert.deepEqual(problems, []);
  await close();
});
