// The page's controls, keys, address and history, and the saved file, against
// the desktop: every sound the page makes is compared with the image of the
// same CreateWubble call in the same sequence on the native build.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import {
  Download, NativeFile, NativeImages, OpenPage, Sha256, StartBrowser, State, WaitForState,
  kFirstSound,
} from './session.js';

let session;
before(async () => { session = await StartBrowser(); });
after(async () => { await session.close(); });

async function Paste(page, text) {
  await page.evaluate((t) => navigator.clipboard.writeText(t), text);
  await page.focus('#seed');
  await page.keyboard.press('Control+A');
  await page.keyboard.press('Control+V');
}

async function ClearSeedField(page) {
  await page.focus('#seed');
  await page.keyboard.press('Control+A');
  await page.keyboard.press('Backspace');
}

// A key pressed with the focus on no control.
async function PressAway(page, key) {
  await page.evaluate(() => document.activeElement?.blur());
  await page.keyboard.press(key);
}

// Each step: what it does, the calls it makes ("S,M,V", in order), the
// seed field after it (null: as before) and, where a user's edit stands
// in it, the call text.
const kSteps = [
  ['Mutate three times', async (p) => { for (let k = 0; k < 3; k++) await p.click('#mutate'); },
    ['9837320,1,5', '9837320,2,5', '9837320,3,5'], '9837320'],
  ['+', (p) => p.click('#seed-plus'), ['9837321,0,5'], '9837321'],
  ['-', (p) => p.click('#seed-minus'), ['9837320,0,5'], '9837320'],
  ['the seed field emptied', ClearSeedField, ['0,0,5'], ''],
  ['0, 0 and 7 typed', (p) => p.keyboard.type('007'), ['0,0,5', '0,0,5', '7,0,5'], '007'],
  ['x and . typed', (p) => p.keyboard.type('x.'), [], '007'],
  ['+ from the field', (p) => p.click('#seed-plus'), ['8,0,5'], '8'],
  ['- from 0', (p) => ClearSeedField(p).then(() => p.keyboard.type('0')).then(() => p.click('#seed-minus')),
    ['0,0,5', '0,0,5', '-1,0,5'], '-1'],
  ['digits pasted', (p) => Paste(p, '2147483647'), ['2147483647,0,5'], '2147483647'],
  ['+ wraps', (p) => p.click('#seed-plus'), ['-2147483648,0,5'], '-2147483648'],
  ['- wraps', (p) => p.click('#seed-minus'), ['2147483647,0,5'], '2147483647'],
  ['a call text pasted', (p) => Paste(p, 'CreateWubble(123,4,64,1)'), ['123,4,64'], '123'],
  ['one with blanks and a negative volume', (p) => Paste(p, ' CreateWubble( -5 , 2 , -3 , 9 )\n'),
    ['-5,2,0'], '-5'],
  ['other text pasted', (p) => Paste(p, 'hello'), [], null],
  ['a call text out of range', (p) => Paste(p, 'CreateWubble(1,2,3000,1)'), [], null],
  ['the volume bar stepped', (p) => p.focus('#volume').then(() => p.keyboard.press('ArrowRight')),
    ['-5,2,1'], null],
  ['the volume bar to its end', (p) => p.keyboard.press('End'), ['-5,2,127'], null],
  ['] at the end', (p) => p.keyboard.press(']'), ['-5,2,127'], null],
  ['[', (p) => p.keyboard.press('['), ['-5,2,126'], null],
  ['Play', (p) => p.click('#play'), [], null],
  ['the call text edited', (p) => p.focus('#code').then(() => p.keyboard.type('rmp')), [], null,
    'CreateWubble(-5,2,126,1)rmp'],
  ['the label and the strip clicked', (p) => p.click('label[for=volume]').then(() => p.click('#scope')),
    [], null, 'CreateWubble(-5,2,126,1)rmp'],
  ['Random', (p) => p.click('#random'), (s) => [`${s.seed},0,126`], undefined],
  ['R', (p) => PressAway(p, 'r'), (s) => [`${s.seed},0,126`], undefined],
  ['M', (p) => PressAway(p, 'm'), (s) => [`${s.seed},1,126`], undefined],
  // Each steps from the field: = and - end on the seed that = made.
  ['=, + and -', (p) => PressAway(p, '=').then(() => p.keyboard.press('+')).then(() => p.keyboard.press('-')),
    (s) => [`${s.seed},0,126`, `${(+s.seed + 1) | 0},0,126`, `${s.seed},0,126`], undefined],
  ['P', (p) => PressAway(p, 'p'), [], null],
  ['M in the seed field', (p) => p.focus('#seed').then(() => p.keyboard.press('m')),
    (s) => [`${s.seed},1,126`], undefined],
];

// The address and the file name follow the call.
function Expect(state, call, seed_text, code) {
  const [seed, mutations, volume] = call.split(',');
  assert.equal(state.code, code ?? `CreateWubble(${call},1)`);
  assert.equal(state.mutate, `Mutate: ${mutations}`);
  assert.equal(state.volume, volume);
  assert.equal(state.address, `#${call}`);
  assert.equal(state.name, `wubble_${seed}_${mutations}_${volume}.wav`);
  if (seed_text !== undefined) assert.equal(state.seed, seed_text);
}

test('every control and key makes the desktop sequence of sounds, texts and addresses', async () => {
  const { page, problems, close } = await OpenPage(session);
  await page.context().grantPermissions(['clipboard-read', 'clipboard-write']);
  const calls = [kFirstSound];
  const heard = [];  // [index of the call, SHA-256 the page holds]
  let state = await State(page);
  Expect(state, kFirstSound, '9837320');
  heard.push([0, state.sound]);
  let seed_text = state.seed;
  const Step = async (what, act, made, seed, code) => {
    const starts = state.starts;
    await act(page);
    state = await State(page);
    const new_calls = typeof made === 'function' ? made(state) : made;
    calls.push(...new_calls);
    state = await WaitForState(page, (s) => s.made === calls.length, `${what}: ${calls.length} sounds`);
    if (seed === undefined) seed_text = state.seed;  // a seed drawn at random, or from the history
    else if (seed !== null) seed_text = seed;
    try {
      Expect(state, calls[calls.length - 1], seed_text, code);
      if (what === 'Random') assert.ok(+state.seed >= 0 && +state.seed <= 2147483647, 'a seed in 0..2147483647');
      if (what === 'Play' || what === 'P') assert.equal(state.starts, starts + 1, 'the sound started again');
    } catch (error) {
      error.message = `${what}: ${error.message}`;
      throw error;
    }
    if (new_calls.length > 0) heard.push([calls.length - 1, state.sound]);
  };
  for (const step of kSteps) await Step(...step);

  // Back and Forward make the sounds of the addresses before and after.
  const back = calls[calls.length - 2], forward = calls[calls.length - 1];
  await Step('Back', (p) => p.goBack(), [back], undefined);
  await Step('Forward', (p) => p.goForward(), [forward], undefined);

  const native = NativeImages(calls);
  for (const [index, sound] of heard) {
    assert.equal(sound, Sha256(native[index]), `sound ${index}, CreateWubble(${calls[index]},1)`);
  }
  const file = await Download(page, () => page.click('#download'));
  assert.equal(file.name, `wubble_${forward.replaceAll(',', '_')}.wav`);
  assert.ok(file.bytes.equals(native[native.length - 1]), 'the saved file is the sound last made');
  const by_key = await Download(page, () => PressAway(page, 'd'));
  assert.ok(by_key.bytes.equals(file.bytes), 'D saves it too');
  assert.deepEqual(problems, []);
  await close();
});

test('a link makes its sound, which plays from the first gesture on', async () => {
  const { page, problems, close } = await OpenPage(session, { hash: '#123,4,64' });
  let state = await State(page);
  assert.equal(state.code, 'CreateWubble(123,4,64,1)');
  assert.equal(state.volume, '64');
  assert.equal(state.sound, Sha256(NativeFile('123,4,64')), 'the first sound of a run');
  assert.equal(state.starts, 0, 'nothing plays before a gesture');
  await page.mouse.click(5, 5);
  state = await WaitForState(page, (s) => s.playing, 'the sound to play after a click');
  assert.equal(state.starts, 1);
  assert.equal(state.made, 1, 'the gesture made no other sound');
  const file = await Download(page, () => page.click('#download'));
  assert.equal(file.name, 'wubble_123_4_64.wav');
  assert.ok(file.bytes.equals(NativeFile('123,4,64')), "the file is wubble-render's");
  assert.deepEqual(problems, []);
  await close();

  // A seed above 2147483647 names the same 32 bits as its negative.
  const wide = await OpenPage(session, { hash: '#4294967295,0,5' });
  state = await State(wide.page);
  assert.equal(state.address, '#-1,0,5');
  assert.equal(state.sound, Sha256(NativeFile('-1,0,5')));
  await wide.close();
});

test('a control as the first gesture acts and starts its own sound', async () => {
  for (const [what, act, call] of [
    ['a click on Mutate', (p) => p.click('#mutate'), '9837320,1,5'],
    ['the key M', (p) => p.keyboard.press('m'), '9837320,1,5'],
    ['a digit typed', (p) => p.focus('#seed').then(() => p.keyboard.press('4')), '98373204,0,5'],
  ]) {
    const { page, problems, close } = await OpenPage(session);
    await act(page);
    const state = await WaitForState(page, (s) => s.playing, `${what}: a sound playing`);
    assert.equal(state.address, `#${call}`, what);
    assert.equal(state.starts, 1, `${what}: only its own sound started`);
    assert.deepEqual(problems, [], what);
    await close();
  }
});

test('bad addresses open on the first sound with one line about the link', async () => {
  const bad = ['#abc', '#1,2', '#1,2,3,4', '#1,2,128', '#1,2,-3', '#1,1000001,5', '#4294967296,0,5',
    '#-2147483649,0,5', `#${'1'.repeat(60)},0,5`, '#1,2,3x', '#+1,2,3', '#1, 2, 3', '#%E0%A4%A',
    '#1,,3', '#%00', '#CreateWubble(1,2,3,1)', '#<script>'];
  // One page, loaded afresh at each address.
  const { page, problems, close } = await OpenPage(session);
  for (const hash of bad) {
    await page.goto('about:blank');
    await page.goto(session.site.url + hash);
    await page.waitForSelector('html[data-ready]');
    const state = await State(page);
    assert.equal(state.code, `CreateWubble(${kFirstSound},1)`, hash);
    assert.equal(state.address, `#${kFirstSound}`, hash);
    assert.match(state.link_note ?? '', /link was not understood/, hash);
    assert.equal(state.starts, 0, `${hash}: nothing played`);
  }
  assert.deepEqual(problems, []);
  await close();
});

test('one drag of the volume bar is one step of the history', async () => {
  const { page, problems, close } = await OpenPage(session);
  const box = await page.locator('#volume').boundingBox();
  const entries = await page.evaluate(() => history.length);
  await page.mouse.move(box.x + 4, box.y + box.height / 2);
  await page.mouse.down();
  for (let k = 1; k <= 8; k++) await page.mouse.move(box.x + (k * box.width) / 10, box.y + box.height / 2);
  await page.mouse.up();
  const dragged = await State(page);
  assert.ok(dragged.made > 3, `the drag made sounds on its way: ${dragged.made}`);
  assert.equal(await page.evaluate(() => history.length), entries + 1);
  await page.goBack();
  const back = await WaitForState(page, (s) => s.made === dragged.made + 1, 'the sound before the drag');
  assert.equal(back.address, `#${kFirstSound}`);
  assert.equal(back.volume, '5');
  assert.deepEqual(problems, []);
  await close();
});
