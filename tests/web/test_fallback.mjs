// Browsers that cannot draw WebGL in a worker (older Safari, for one: no
// OffscreenCanvas at all; WebKitGTK, whose worker makes no WebGL context) get
// the program on the page's own main thread, with the same behaviour. Where
// there is no WebGL at all, or no JavaScript, the page says what it needs.

import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import { canvasPixels, colourCount, expectedProgress, start, statusLine } from './harness.mjs';

let session;
before(async () => { session = await start(); });
after(() => session.close());

// Each makes the browser context into such a browser.
const BROWSERS = {
  'no OffscreenCanvas': (context) => context.addInitScript(() => {
    delete HTMLCanvasElement.prototype.transferControlToOffscreen;
  }),
  // The program's script, loaded first by the worker, can make no WebGL
  // context there, though every name is in place.
  'no WebGL context in workers': (context) => {
    let inWorker = true;
    return context.route('**/sorvane.js', async (route) => {
      const script = await (await route.fetch()).text();
      const prelude = inWorker ? 'OffscreenCanvas.prototype.getContext = () => null;\n' : '';
      inWorker = false;
      await route.fulfill({ body: prelude + script, contentType: 'text/javascript' });
    });
  },
};

// Resolves once the canvas shows a figure of many colours, within 20 s.
async function drawn(page) {
  const deadline = Date.now() + 20000;
  while (colourCount(await canvasPixels(page)) <= 1000) {
    if (Date.now() > deadline) throw new Error('no figure on the canvas');
  }
}

for (const [name, makeBrowser] of Object.entries(BROWSERS)) {
  test(`${name}: the page runs the program itself`, async () => {
    const context = await session.browser.newContext({ viewport: { width: 1400, height: 1000 } });
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (error) => errors.push(error.message));
    page.on('console', (message) => { if (message.type() === 'error') errors.push(message.text()); });
    await makeBrowser(context);
    await page.goto(session.site.url);
    await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Running'));
    assert.equal(await page.locator('#output').textContent(), expectedProgress());
    assert.equal(await page.evaluate(() => typeof Module), 'object', 'the program is on the page');
    await page.waitForFunction(() => canvas.width === 600 && canvas.height === 600);
    await drawn(page);

    await page.keyboard.press('F11');
    await page.waitForFunction(() => document.fullscreenElement !== null);
    await page.waitForFunction(() => canvas.width === 1400 && canvas.height === 1000);
    await page.keyboard.press('F11');
    await page.waitForFunction(() => document.fullscreenElement === null);
    await page.waitForFunction(() => canvas.width === 600 && canvas.height === 600);
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => !document.getElementById('status').textContent.startsWith('Running'));
    assert.equal(await statusLine(page), 'sorvane ended with status 0.');
    assert.deepEqual(errors, []);
    await context.close();
  });
}

test('no WebGL, no JavaScript: the page says which it needs, and shows no button', async () => {
  for (const [options, needs] of [[{}, 'WebGL'], [{ javaScriptEnabled: false }, 'JavaScript']]) {
    const context = await session.browser.newContext(options);
    await context.route('**/sorvane.js', async (route) => {
      const script = await (await route.fetch()).text();
      const prelude = 'for (const canvas of [self.OffscreenCanvas, self.HTMLCanvasElement]) ' +
        'if (canvas) canvas.prototype.getContext = () => null;\n';
      await route.fulfill({ body: prelude + script, contentType: 'text/javascript' });
    });
    const page = await context.newPage();
    await page.goto(session.site.url);
    // Within a few seconds.
    const deadline = Date.now() + 10000;
    while (!(await page.locator('main').innerText()).includes(`This page needs ${needs}`)) {
      assert.ok(Date.now() < deadline, `no word that the page needs ${needs}`);
    }
    assert.equal(await page.locator('#controls').isVisible(), false);
    if (options.javaScriptEnabled !== false) {
      assert.equal(await page.locator('#output').textContent(), expectedProgress());
    }
    await context.close();
  }
});
