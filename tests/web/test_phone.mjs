// Phones and tablets, emulated with touch: the page fits their width, shows the
// whole picture, and its buttons work by tapping.

import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import { devices } from 'playwright-core';

import { start, statusLine } from './harness.mjs';

const SIZES = ['iPhone SE', 'iPhone 13', 'Pixel 7', 'Pixel 7 landscape', 'iPad Mini'];

let session;
before(async () => { session = await start(); });
after(() => session.close());

for (const name of SIZES) {
  test(`${name}: fits, shows the whole picture, and its buttons work by touch`, async () => {
    const { defaultBrowserType, ...device } = devices[name];
    const context = await session.browser.newContext(device);
    const page = await context.newPage();
    page.errors = [];
    page.on('pageerror', (error) => page.errors.push(error.message));
    await page.goto(session.site.url);
    await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Running'));

    const layout = await page.evaluate(() => ({
      scrollWidth: document.documentElement.scrollWidth,
      box: canvas.getBoundingClientRect().toJSON(),
    }));
    const { width, height } = device.viewport;
    assert.ok(layout.scrollWidth <= width, `no horizontal scrolling: ${layout.scrollWidth} > ${width}`);
    const { box } = layout;
    assert.ok(box.left >= 0 && box.top >= 0 && box.right <= width && box.bottom <= height,
      `the canvas is wholly in view: ${JSON.stringify(box)} in ${width} x ${height}`);
    // The drawing buffer has the canvas's size in device pixels.
    const side = Math.round(box.width * device.deviceScaleFactor);
    await page.waitForFunction((s) => canvas.width === s && canvas.height === s, side);

    // Full screen left the browser's way first (a swipe does what exitFullscreen
    // does), then one tap enters it again and the next leaves it.
    await page.tap('#fullscreen');
    await page.waitForFunction(() => document.fullscreenElement !== null);
    await page.evaluate(() => document.exitFullscreen());
    await page.waitForFunction(() => document.fullscreenElement === null);
    await page.waitForFunction((s) => canvas.width === s && canvas.height === s, side);
    await page.tap('#fullscreen');
    await page.waitForFunction(() => document.fullscreenElement !== null);
    await page.tap('#fullscreen');
    await page.waitForFunction(() => document.fullscreenElement === null);
    await page.waitForFunction((s) => canvas.width === s && canvas.height === s, side);

    await page.tap('#end');
    await page.waitForFunction(() => !document.getElementById('status').textContent.startsWith('Running'));
    assert.equal(await statusLine(page), 'sorvane ended with status 0.');
    assert.deepEqual(page.errors, []);
    await context.close();
  });
}
