// What must hold in every browser engine of the harness's table, in the one
// that SORVANE_ENGINE names.

import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import {
  ENGINES, animationFrames, countWebGLDraws, drawsAndTurns, PROGRESS, launchEngine, missingEngine,
  running, samePicture, waitIn,
} from './harness.mjs';

const name = process.env.SORVANE_ENGINE ?? 'chromium';
const engine = ENGINES[name];
const missing = missingEngine(name);

const output = () => document.getElementById('output').textContent;
const paused = () => document.getElementById('status').textContent.startsWith('Paused');
const endedWell = () => document.getElementById('status').textContent === 'sorvane ended with status 0.';

if (missing) {
  // The roots of scripts/test-in install Chromium only: the other engines are
  // tested once, in the machine's own run, where a missing one is a failure.
  const reason = `not installed in this Debian root: ${missing.join(', ')}`;
  test(`${name}: the page`, { skip: process.env.SORVANE_SUITE_IN_ROOT ? reason : false }, () => {
    assert.fail(`not installed: ${missing.join(', ')}`);
  });
} else {
  let browser;
  let page;
  before(async () => {
    browser = await launchEngine(name);
    page = await browser.open();
  });
  after(() => browser?.close());

  test(`${name}: it runs with exactly the 500 progress lines, draws the figure and turns it, prints no more`, async () => {
    await waitIn(page, running, undefined, 60000);
    assert.equal(await page.evaluate(output), PROGRESS);
    await drawsAndTurns(page.picture);
    assert.equal(await page.evaluate(output), PROGRESS);
  });

  test(`${name}: F11 and the button go to full screen and back to the same size`, async () => {
    for (const press of [() => page.key('F11'), () => page.click('#fullscreen')]) {
      const size = await page.evaluate(() => [canvas.width, canvas.height]);
      await press();
      await waitIn(page, ([width, height]) => document.fullscreenElement !== null &&
        canvas.width > width && canvas.height > height, size);
      await press();
      await waitIn(page, ([width, height]) => document.fullscreenElement === null &&
        canvas.width === width && canvas.height === height, size);
    }
  });

  test(`${name}: Pause stops the figure, its clock and its frames, also in full screen; Play goes on`, async () => {
    await page.inProgram(countWebGLDraws);
    await page.click('#pause');
    await waitIn(page, paused);
    // Where the program is out of reach, its picture, which the full screen
    // would change, is watched instead.
    const program = () => [Date.now(), self.webglDraws];
    const before = await page.inProgram(program);
    const still = before ? null : await page.picture();
    let pausedMs = await animationFrames(page, 60);
    if (before) {
      assert.deepEqual(await page.inProgram(program), before, 'no frame drawn, the clock stood still');
      await page.key('F11');
      await waitIn(page, () => document.fullscreenElement !== null && canvas.width > 600);
      pausedMs += await animationFrames(page, 60);
      await page.key('F11');
      await waitIn(page, () => document.fullscreenElement === null && canvas.width === 600);
      assert.equal((await page.inProgram(program))[0], before[0], 'the clock stood still');
    } else {
      assert.ok(samePicture(await page.picture(), still), 'the picture stood still');
    }
    await page.click('#pause');
    await waitIn(page, running);
    // Its clock lags the browser's by the time it stood still.
    const lag = await page.inProgram(() => performance.timeOrigin + performance.now() - Date.now());
    if (before) assert.ok(lag >= pausedMs, `${lag} ms behind after ${pausedMs} ms paused`);
    await drawsAndTurns(page.picture);
  });

  test(`${name}: a lost and restored WebGL context brings the figure back, paused as it was`, async (t) => {
    if (!await page.inProgram(() => true)) return t.skip(engine.programOutOfReach);
    await page.click('#pause');
    await waitIn(page, paused);
    await page.inProgram(() => {
      self.loseContext = Module.ctx.getExtension('WEBGL_lose_context');
      self.loseContext.loseContext();
    });
    await waitIn(page, () => document.getElementById('status').textContent.includes('WebGL context'));
    await page.inProgram(() => self.loseContext.restoreContext());
    await waitIn(page, paused, undefined, 60000);
    assert.match(await page.evaluate(() => notice.textContent), /sorvane started again/);
    await page.click('#pause');
    await waitIn(page, running);
    await drawsAndTurns(page.picture);
  });

  test(`${name}: Escape ends the program with status 0, and End does too`, async () => {
    await page.key('Escape');
    await waitIn(page, endedWell);
    await page.goto(browser.site.url);
    await waitIn(page, running, undefined, 60000);
    await page.click('#end');
    await waitIn(page, endedWell);
  });

  test(`${name}: with reduced motion it stands still, drawn, and follows the setting`, async (t) => {
    if (!page.reduceMotion) return t.skip(engine.noReducedMotion);
    await page.reduceMotion(true);
    await page.goto(browser.site.url);
    await waitIn(page, paused, undefined, 60000);
    assert.match(await page.evaluate(() => document.getElementById('status').textContent), /reduced motion/);
    assert.equal(await page.evaluate(output), PROGRESS);
    await drawsAndTurns(page.picture, false);
    await page.reduceMotion(false);
    await waitIn(page, running);
    await drawsAndTurns(page.picture);
  });

  test(`${name}: after one visit it runs without a network`, async (t) => {
    if (!await page.evaluate(() => 'serviceWorker' in navigator)) return t.skip('no service workers here');
    await waitIn(page, () => navigator.serviceWorker.ready.then(() => true));
    await browser.site.close();
    await page.goto(browser.site.url);
    await waitIn(page, running, undefined, 60000);
    assert.ok(await page.evaluate(() => navigator.serviceWorker.controller !== null), 'from the service worker');
    await drawsAndTurns(page.picture);
  });

  test(`${name}: no uncaught error on the page`, (t) => {
    if (!page.errors) t.skip(engine.noErrorReport);
    else assert.deepEqual(page.errors, []);
  });
}
