// F11 and Escape, pressed as real keys in the page.

import assert from 'node:assert/strict';
import { test } from 'node:test';

import {
  animationFrames, countWebGLDraws, endedStatus, fullScreenAt, newPage, openPage, sessionForTests, waitIn,
} from './harness.mjs';

const SCREEN = { width: 1400, height: 1000 };

const session = sessionForTests();

test('F11 asks for full screen and back; Escape ends the program with status 0', async () => {
  const page = await openPage(session, { viewport: SCREEN });

  // The first time round the browser leaves full screen its own way (its
  // Escape does what exitFullscreen does): F11 must then enter it again.
  for (const leave of [() => page.evaluate(() => document.exitFullscreen()), () => page.keyboard.press('F11')]) {
    // Held, so that it repeats: one switch all the same.
    await page.keyboard.down('F11');
    await page.keyboard.down('F11');
    await page.keyboard.up('F11');
    await fullScreenAt(page, true, [SCREEN.width, SCREEN.height]);
    assert.equal(await page.locator('#notice').textContent(), '', 'no refusal to explain');
    await leave();
    await fullScreenAt(page, false, [600, 600]);
  }

  // Drawn while it runs; once it has ended, not in thirty of the page's frames.
  await page.program.evaluate(countWebGLDraws);
  await waitIn(page.program, () => self.webglDraws > 0);
  await page.keyboard.press('Escape');
  assert.equal(await endedStatus(page), 'sorvane ended with status 0.');
  const draws = await page.program.evaluate(() => self.webglDraws);
  await animationFrames(page, 30);
  assert.equal(await page.program.evaluate(() => self.webglDraws), draws, 'no frame drawn once ended');
  assert.deepEqual(page.errors, []);
});

test('Tab reaches the buttons, which Enter and Space press, with their focus shown', async () => {
  const page = await openPage(session, { viewport: SCREEN });
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'fullscreen');
  assert.ok(await page.evaluate(() => document.activeElement.matches(':focus-visible')));
  // The buttons move into full screen and back at the browser's
  // fullscreenchange, which comes at its next animation frame, after
  // fullscreenElement has changed: a button moved between Space's press and
  // release is not pressed.
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => controls.parentElement === frame);
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.fullscreenElement && controls.parentElement !== frame);
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'pause');
  for (const [key, status] of [['Space', 'Paused'], ['Enter', 'Running']]) {
    await page.keyboard.press(key);
    await page.waitForFunction((s) => document.getElementById('status').textContent.startsWith(s), status);
  }
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'end');
  await page.keyboard.press('Space');
  assert.equal(await endedStatus(page), 'sorvane ended with status 0.');
  assert.deepEqual(page.errors, []);
});

test('a refused full screen is explained on the page, and asked for again at the next press', async () => {
  // Embedded by another page that does not allow it full screen.
  const page = await newPage(session, { viewport: SCREEN });
  await page.setContent(`<iframe src="${session.site.url}" width="900" height="900"></iframe>`);
  const program = page.frameLocator('iframe');
  await program.locator('#status', { hasText: 'Running' }).waitFor();
  // Focus goes to the frame on a click beside the canvas (the toolkit keeps it
  // from clicks on the canvas).
  await program.locator('#status').click();
  for (const press of [1, 2]) {
    await program.locator('#notice').evaluate((notice) => { notice.textContent = ''; });
    await page.keyboard.press('F11');
    await program.locator('#notice', { hasText: 'The browser refused full screen: ' })
      .waitFor({ timeout: 10000 }).catch(() => assert.fail(`press ${press} asked for no full screen`));
  }
  assert.match(await program.locator('#status').textContent(), /^Running/);
  await page.context().close();
});
