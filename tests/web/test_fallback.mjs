// Browsers that cannot draw WebGL in a worker (older Safari, for one: no
// OffscreenCanvas at all; WebKitGTK, whose worker makes no WebGL context) get
// the program on the page's own main thread, with the same behaviour. Where
// there is no WebGL at all, or no JavaScript, the page says what it needs.

import assert from 'node:assert/strict';
import { test } from 'node:test';

import {
  canvasPixels, drawsAndTurns, endedStatus, PROGRESS, fullScreenAt, newPage, poll, running, sessionForTests,
} from './harness.mjs';

const session = sessionForTests();

// Serves the program's script with prelude(load) before it, load counting
// its loads from 0.
function prefixScript(context, prelude) {
  let load = 0;
  return context.route('**/sorvane.js', async (route) => {
    const script = await (await route.fetch()).text();
    await route.fulfill({ body: prelude(load++) + script, contentType: 'text/javascript' });
  });
}

// Each makes the browser context into such a browser.
const BROWSERS = {
  'no OffscreenCanvas': (context) => context.addInitScript(() => {
    delete HTMLCanvasElement.prototype.transferControlToOffscreen;
  }),
  // The program's script, loaded first by the worker, can make no WebGL
  // context there, though every name is in place.
  'no WebGL context in workers': (context) => prefixScript(context,
    (load) => (load === 0 ? 'OffscreenCanvas.prototype.getContext = () => null;\n' : '')),
};

for (const [name, makeBrowser] of Object.entries(BROWSERS)) {
  test(`${name}: the page runs the program itself`, async () => {
    const page = await newPage(session, { viewport: { width: 1400, height: 1000 } });
    page.on('console', (message) => { if (message.type() === 'error') page.errors.push(message.text()); });
    await makeBrowser(page.context());
    await page.goto(session.site.url);
    await page.waitForFunction(running);
    assert.equal(await page.locator('#output').textContent(), PROGRESS);
    assert.equal(await page.evaluate(() => typeof Module), 'object', 'the program is on the page');
    await fullScreenAt(page, false, [600, 600]);
    await drawsAndTurns(() => canvasPixels(page), false);

    for (const [full, size] of [[true, [1400, 1000]], [false, [600, 600]]]) {
      await page.keyboard.press('F11');
      await fullScreenAt(page, full, size);
    }
    await page.keyboard.press('Escape');
    assert.equal(await endedStatus(page), 'sorvane ended with status 0.');
    assert.deepEqual(page.errors, []);
    await page.context().close();
  });
}

test('no WebGL, no JavaScript: the page says which it needs, and shows no button', async () => {
  for (const [options, needs] of [[{}, 'WebGL'], [{ javaScriptEnabled: false }, 'JavaScript']]) {
    const page = await newPage(session, options);
    await prefixScript(page.context(), () => 'for (const canvas of [self.OffscreenCanvas, ' +
      'self.HTMLCanvasElement]) if (canvas) canvas.prototype.getContext = () => null;\n');
    await page.goto(session.site.url);
    await poll(async () => (await page.locator('main').innerText()).includes(`This page needs ${needs}`),
      10000, `for word that the page needs ${needs}`);
    assert.equal(await page.locator('#controls').isVisible(), false);
    if (options.javaScriptEnabled !== false) {
      assert.equal(await page.locator('#output').textContent(), PROGRESS);
    }
    await page.context().close();
  }
});
