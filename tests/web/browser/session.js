// What the page tests share: Debian's chromium, headless, on the built page
// served from 127.0.0.1; the page's state as a user sees it; and the native
// references of the same run.
//   WUBBLE_SOURCE_DIR     the source tree (for web/serve.mjs)
//   WUBBLE_SITE_DIR       the built page
//   WUBBLE_RENDER         the native wubble-render
//   WUBBLE_WEB_REFERENCE  the native web_reference
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const { Serve } = await import(pathToFileURL(join(process.env.WUBBLE_SOURCE_DIR, 'web/serve.mjs')));

export const kFirstSound = '9837320,0,5';

// Playwright gives each launch a fresh profile of its own.
const kChromiumArgs = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

export async function StartBrowser() {
  const site = await Serve(process.env.WUBBLE_SITE_DIR);
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true,
                                          args: kChromiumArgs });
  return {
    site,
    browser,
    close: async () => {
      await browser.close();
      await site.close();
    },
  };
}

// A page in a context of its own, opened at `hash` and ready (first sound
// made, controls live). Every exception and console message of warning or
// error level is kept in `problems`, which a test expects empty; but for
// chromium's advice on the tests' own many reads of the canvas.
export async function OpenPage(session, { hash = '', context = {}, before = null } = {}) {
  const browser_context = await session.browser.newContext(context);
  if (before) await browser_context.addInitScript(before);
  const page = await browser_context.newPage();
  const problems = [];
  page.on('pageerror', (error) => problems.push(`exception: ${error.message}`));
  page.on('console', (message) => {
    if (message.text().startsWith('Canvas2D: Multiple readback operations')) return;
    if (message.type() === 'error' || message.type() === 'warning') {
      problems.push(`console ${message.type()}: ${message.text()}`);
    }
  });
  await page.goto(session.site.url + hash);
  await page.waitForSelector('html[data-ready]');
  return { page, problems, close: () => browser_context.close() };
}

// What the page shows and holds now: the controls' texts, the notes, the
// address, and the sound last made (its SHA-256, length and file name) with
// what plays.
export function State(page) {
  return page.evaluate(async () => {
    const { shell_module: { SoundFile, shell }, player } = await import('./main.js');
    const $ = (id) => document.getElementById(id);
    const file = SoundFile();
    const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', file.bytes));
    const Note = (id) => ($(id).hidden ? null : $(id).textContent);
    return {
      seed: $('seed').value,
      mutate: $('mutate').textContent,
      code: $('code').value,
      volume: $('volume').value,
      address: location.hash,
      link_note: Note('link-note'),
      sound_note: Note('sound-note'),
      sound: Array.from(digest, (b) => b.toString(16).padStart(2, '0')).join(''),
      length: file.bytes.length,
      name: file.name,
      made: shell.made,
      starts: player.StartCount(),
      playing: player.SoundPlaying(),
    };
  });
}

// Waits, up to `timeout` ms, until `check(state)` holds; returns that state.
export async function WaitForState(page, check, what, timeout = 10000) {
  const deadline = Date.now() + timeout;
  for (;;) {
    const state = await State(page);
    if (check(state)) return state;
    assert.ok(Date.now() < deadline, `waited ${timeout} ms for ${what}; last ${JSON.stringify(state)}`);
    await page.waitForTimeout(20);
  }
}

export function Sha256(bytes) {
  return createHash('sha256').update(bytes).digest('hex');
}

// The images of the desktop's CreateWubble calls `calls` ("S,M,V"), in order.
export function NativeImages(calls) {
  const out = execFileSync(process.env.WUBBLE_WEB_REFERENCE, ['images', ...calls],
                           { maxBuffer: 1 << 30 });
  const images = [];
  for (let at = 0; at < out.length; at += 4 + out.readUInt32LE(at)) {
    images.push(out.subarray(at + 4, at + 4 + out.readUInt32LE(at)));
  }
  assert.equal(images.length, calls.length);
  return images;
}

// wubble-render's file of one sound.
export function NativeFile(call) {
  return execFileSync(process.env.WUBBLE_RENDER, [...call.split(','), '-o', '-'],
                      { maxBuffer: 1 << 20 });
}

// The desktop's scope pictures (190 x 64 RGB) of `image` at `positions`.
export function NativePictures(image, positions) {
  const out = execFileSync(process.env.WUBBLE_WEB_REFERENCE, ['scope', ...positions.map(String)],
                           { input: image, maxBuffer: 1 << 26 });
  const size = 190 * 64 * 3;
  return positions.map((_, k) => out.subarray(k * size, (k + 1) * size));
}

// The file the page's "Download .wav" saves: its name and bytes.
export async function Download(page, press) {
  const [download] = await Promise.all([page.waitForEvent('download'), press()]);
  const { readFile } = await import('node:fs/promises');
  return { name: download.suggestedFilename(), bytes: await readFile(await download.path()) };
}
