// The README's pictures of the page: at a desktop's size and at a phone's,
// each with a loud sound's trace in the scope strip.
//   node screenshots.mjs DIR   writes DIR/wubble-web.png, DIR/wubble-web-phone.png
import { resolve } from 'node:path';

import { OpenPage, StartBrowser } from './session.js';

const dir = resolve(process.argv[2] ?? '.');
const kShots = [
  ['wubble-web.png', { viewport: { width: 720, height: 560 } }],
  ['wubble-web-phone.png', { viewport: { width: 360, height: 740 }, deviceScaleFactor: 2,
                             isMobile: true, hasTouch: true }],
];

const session = await StartBrowser();
try {
  for (const [name, context] of kShots) {
    const { page, close } = await OpenPage(session, { hash: '#9837320,3,64', context });
    // After the frames that follow the sound made, which show it halted.
    await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
    await page.evaluate(async () => (await import('./main.js')).scope.DrawScope(60000));
    await page.screenshot({ path: `${dir}/${name}` });
    console.log(`${dir}/${name}`);
    await close();
  }
} finally {
  await session.close();
}
