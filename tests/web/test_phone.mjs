// Phones and tablets, emulated with touch: the page fits their width, shows the
// whole picture, and its buttons work by tapping.

import assert from 'node:assert/strict';
import { test } from 'node:test';

import { devices } from 'playwright-core';

import { accessibilityViolations, endedStatus, fullScreenAt, newPage, running, sessionForTests } from './harness.mjs';

// An iPhone's Safari has full screen for videos only: there the page's own
// full-window mode stands in, tested with the Fullscreen API taken away.
const ELEMENT_FULL_SCREEN = {
  'iPhone SE': false, 'iPhone 13': false, 'Pixel 7': true, 'Pixel 7 landscape': true, 'iPad Mini': true,
};

function removeFullscreenApi() {
  for (const name of ['requestFullscreen', 'webkitRequestFullscreen', 'webkitRequestFullScreen']) {
    delete Element.prototype[name];
  }
  for (const name of ['exitFullscreen', 'fullscreenElement', 'fullscreenEnabled', 'onfullscreenchange']) {
    delete Document.prototype[name];
  }
}

const session = sessionForTests();

// In the page: whether the picture is in the full window (on) at this size.
const showing = ([[width, height], on]) => canvas.width === width && canvas.height === height &&
  document.getElementById('frame').classList.contains('full-window') === on;

for (const [name, elementFullScreen] of Object.entries(ELEMENT_FULL_SCREEN)) {
  const how = elementFullScreen ? '' : ', with no full screen for elements';
  test(`${name}${how}: fits, shows the whole picture, and its buttons work by touch`, async () => {
    const { defaultBrowserType, ...device } = devices[name];
    const page = await newPage(session, device);
    if (!elementFullScreen) await page.addInitScript(removeFullscreenApi);
    await page.goto(session.site.url);
    await page.waitForFunction(running);

    const [scrollWidth, box] = await page.evaluate(() => [
      document.documentElement.scrollWidth, canvas.getBoundingClientRect().toJSON()]);
    const { width, height } = device.viewport;
    assert.ok(scrollWidth <= width, `no horizontal scrolling: ${scrollWidth} > ${width}`);
    assert.ok(box.left >= 0 && box.top >= 0 && box.right <= width && box.bottom <= height,
      `the canvas is wholly in view: ${JSON.stringify(box)} in ${width} x ${height}`);
    // The drawing buffer has the canvas's size in device pixels.
    const side = Math.round(box.width * device.deviceScaleFactor);
    await page.waitForFunction((s) => canvas.width === s && canvas.height === s, side);
    assert.deepEqual(await accessibilityViolations(page), []);

    if (!elementFullScreen) {
      // The whole viewport, by a tap or F11, over the buttons, which then work
      // as in full screen; the next gives the picture its size back, and End
      // leaves the full window too, to show how the program ended.
      const viewport = [width, height].map((side) => Math.round(side * device.deviceScaleFactor));
      for (const press of [() => page.tap('#fullscreen'), () => page.keyboard.press('F11')]) {
        await press();
        await page.waitForFunction(showing, [viewport, true]);
        await press();
        await page.waitForFunction(showing, [[side, side], false]);
      }
      await page.tap('#fullscreen');
      await page.waitForFunction(showing, [viewport, true]);
    } else {
      // Full screen left the browser's way first (a swipe does what exitFullscreen
      // does), told twice, as when the browser tells of the entry only after the
      // exit; then one tap enters it again and the next leaves it.
      const swipe = () => page.evaluate(() => document.exitFullscreen()
        .then(() => document.dispatchEvent(new Event('fullscreenchange'))));
      for (const leave of [swipe, () => page.tap('#fullscreen')]) {
        await page.tap('#fullscreen');
        await page.waitForFunction(() => document.fullscreenElement !== null);
        await leave();
        await fullScreenAt(page, false, [side, side]);
        assert.deepEqual(await accessibilityViolations(page), []);
      }
    }

    await page.tap('#end');
    if (!elementFullScreen) {
      await page.waitForFunction(() => !document.getElementById('frame').classList.contains('full-window'));
    }
    assert.equal(await endedStatus(page), 'sorvane ended with status 0.');
    assert.deepEqual(page.errors, []);
    await page.context().close();
  });
}
