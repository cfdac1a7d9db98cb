// The page on a phone and in a browser without WebAudio; the npm package in
// a plain page of a game's own.
//   WUBBLE_PACKAGE_DIR  the package as npm installed it from its tarball
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';

import {
  Download, NativeFile, NativeImages, OpenPage, Sha256, StartBrowser, State, WaitForState, kFirstSound,
} from './session.js';

let session;
before(async () => { session = await StartBrowser(); });
after(async () => { await session.close(); });

const kPhone = { viewport: { width: 360, height: 740 }, deviceScaleFactor: 3, isMobile: true,
                 hasTouch: true };

test('on a phone every control fits, is large enough for a finger and works by touch', async () => {
  const { page, problems, close } = await OpenPage(session, { context: kPhone });
  const layout = await page.evaluate(() => ({
    scroll_width: document.documentElement.scrollWidth,
    boxes: ['random', 'seed', 'seed-minus', 'seed-plus', 'play', 'mutate', 'volume', 'code', 'download']
      .map((id) => [id, document.getElementById(id).getBoundingClientRect().toJSON()]),
  }));
  assert.ok(layout.scroll_width <= 360, `no sideways scrolling: ${layout.scroll_width} px wide`);
  for (const [id, box] of layout.boxes) {
    assert.ok(box.left >= 0 && box.right <= 360, `${id} within the screen: ${JSON.stringify(box)}`);
    assert.ok(box.height >= 40 && box.width >= 40, `${id} large enough to touch: ${JSON.stringify(box)}`);
  }
  const strip = await page.evaluate(() => {
    const canvas = document.getElementById('scope');
    return { width: canvas.width, css: canvas.getBoundingClientRect().width };
  });
  assert.equal(strip.width % 190, 0, 'whole blocks');
  assert.ok(strip.width / 190 >= 3, `blocks of at least the pixel ratio: ${strip.width / 190}`);
  assert.ok(Math.abs(strip.css * 3 - strip.width) < 0.01, 'one canvas pixel a device pixel');

  // A tap is the gesture that starts the sound it makes.
  await page.tap('#mutate');
  let state = await WaitForState(page, (s) => s.playing, 'the tapped sound to play');
  assert.equal(state.code, 'CreateWubble(9837320,1,5,1)');
  assert.equal(state.starts, 1);
  await page.tap('#seed-plus');
  state = await WaitForState(page, (s) => s.made === 3, 'a second tap');
  assert.equal(state.seed, '9837321');
  const box = await page.locator('#volume').boundingBox();
  await page.touchscreen.tap(box.x + box.width - 2, box.y + box.height / 2);
  state = await WaitForState(page, (s) => s.made === 4, 'a tap on the volume bar');
  assert.ok(Number(state.volume) > 100, `the bar's end tapped: ${state.volume}`);
  assert.deepEqual(problems, []);
  await close();
});

test('without WebAudio the page says so in one line and everything else works', async () => {
  const { page, problems, close } = await OpenPage(session, {
    before: () => {
      delete window.AudioContext;
      delete window.webkitAudioContext;
      delete window.OfflineAudioContext;
    },
  });
  let state = await State(page);
  assert.match(state.sound_note ?? '', /cannot play sound/);
  assert.equal(state.sound_note.split('\n').length, 1);
  await page.click('#mutate');
  await page.keyboard.press('m');
  state = await WaitForState(page, (s) => s.made === 3, 'two sounds made');
  assert.equal(state.code, 'CreateWubble(9837320,2,5,1)');
  assert.equal(state.starts, 0);
  const native = NativeImages([kFirstSound, '9837320,1,5', '9837320,2,5']);
  const file = await Download(page, () => page.click('#download'));
  assert.ok(file.bytes.equals(native[2]), 'the saved file is the sound made');
  assert.deepEqual(problems, []);
  await close();
});

test('the npm package works in a plain <script type="module"> with no bundler', async () => {
  const { Serve } = await import(pathToFileURL(join(process.env.WUBBLE_SOURCE_DIR, 'web/serve.mjs')));
  const served = await Serve(process.env.WUBBLE_PACKAGE_DIR);
  const page = await session.browser.newPage();
  const problems = [];
  page.on('pageerror', (error) => problems.push(error.message));
  try {
    // The game's page beside the package's files, imported as they are.
    await page.route(`${served.url}game.html`, (route) => route.fulfill({ contentType: 'text/html', body: `
      <script type="module">
        import { createGenerator, render } from './index.js';
        const Digest = async (bytes) => Array.from(new Uint8Array(await crypto.subtle.digest('SHA-256', bytes)),
          (b) => b.toString(16).padStart(2, '0')).join('');
        const generator = createGenerator();
        const sounds = [render(123, 4, 64), generator.render(73, 2, 9), generator.render(73, 2, 9)];
        window.digests = await Promise.all(sounds.map(Digest));
      </script>` }));
    await page.goto(`${served.url}game.html`);
    const digests = await (await page.waitForFunction(() => window.digests)).jsonValue();
    const native = [NativeFile('123,4,64'), ...NativeImages(['73,2,9', '73,2,9'])];
    assert.deepEqual(digests, native.map(Sha256), 'render and a generator\'s carried-over sounds');
    assert.deepEqual(problems, []);
  } finally {
    await page.close();
    await served.close();
  }
});
