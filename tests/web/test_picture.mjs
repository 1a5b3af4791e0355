// The picture under a fixed calendar clock: elapsed time stays 0, so every frame
// shows the unrotated figure of the start second's seed.

import assert from 'node:assert/strict';
import { test } from 'node:test';

import {
  colourCount, countWebGLDraws, crop, differingPixels, openPage, pixel, resizeFrame, samePicture, sessionForTests,
  setProgramTime, steadyPixels, waitIn,
} from './harness.mjs';

// Half a second into a second, so that every load at this time has one seed.
const SECOND = Date.UTC(2026, 0, 1, 12, 0, 0) + 500;
const WHITE = [255, 255, 255];

const session = sessionForTests();

async function pictureAt(time) {
  const page = await openPage(session, { fixedTime: time });
  const picture = await steadyPixels(page);
  await page.context().close();
  return picture;
}

test('the same second draws the same picture, another second a different one', async () => {
  const first = await pictureAt(SECOND);
  assert.deepEqual([first.width, first.height], [600, 600]);
  assert.ok(colourCount(first) > 1000, 'a translucent figure of many colours');
  assert.ok(samePicture(await pictureAt(SECOND), first), 'a second load in the same second');
  const other = await pictureAt(SECOND + 1000);
  assert.ok(differingPixels(first, other) > 10000, 'the next second gives another figure');
});

test('the picture keeps its proportions when the frame is resized', async () => {
  const page = await openPage(session, { fixedTime: SECOND });
  const square = await steadyPixels(page);
  for (const [x, y] of [[299, 299], [300, 300], [299, 300], [300, 299]]) {
    assert.notDeepEqual(pixel(square, x, y), WHITE, `the middle (${x}, ${y}) is covered`);
  }

  // 1200 x 600 shows x from -2 to 2, and 600 x 1200 y likewise: the unit square
  // is the middle 600 x 600, drawn at the same scale, and all beside it is white.
  const shapes = [
    [1200, 600, [[0, 0, 300, 600, 'left'], [900, 0, 300, 600, 'right']]],
    [600, 1200, [[0, 0, 600, 300, 'above'], [0, 900, 600, 300, 'below']]],
  ];
  for (const [width, height, beside] of shapes) {
    await resizeFrame(page, width, height);
    const shot = await steadyPixels(page);
    assert.deepEqual([shot.width, shot.height], [width, height]);
    for (const [x, y, w, h, where] of beside) {
      const side = crop(shot, x, y, w, h);
      assert.deepEqual([colourCount(side), pixel(side, 0, 0)], [1, WHITE], `all white ${where} of the unit square`);
    }
    const middle = crop(shot, (width - 600) / 2, (height - 600) / 2, 600, 600);
    assert.ok(differingPixels(middle, square) < 100, `undistorted at ${width} x ${height}`);
  }
  assert.deepEqual(page.errors, []);
});

test('the figure turns at 25 degrees per second: a full turn in 14.4 s', async () => {
  const page = await openPage(session, { fixedTime: SECOND });
  const pictures = [];
  for (const ms of [0, 3600, 7200, 14400]) {
    await setProgramTime(page, SECOND + ms);
    pictures.push(await steadyPixels(page));
  }
  const [start, quarter, half, full] = pictures;
  assert.ok(differingPixels(quarter, start) > 10000, '90 degrees');
  assert.ok(differingPixels(half, start) > 10000, '180 degrees');
  assert.ok(differingPixels(half, quarter) > 10000, '90 degrees more');
  assert.ok(differingPixels(full, start) < 100, '360 degrees is where it started');
});

// In the program's worker, before the program: the draws that countWebGLDraws
// counts, per animation frame. This frame callback is asked for before the
// program's, so in every frame it runs first, and what is counted up to its
// next run is what the program drew in that frame.
function countDrawsPerFrame() {
  self.drawsPerFrame = [];
  let counted = 0;
  requestAnimationFrame(function frame() {
    const draws = self.webglDraws - counted;
    counted = self.webglDraws;
    if (draws > 0 || self.drawsPerFrame.length > 0) self.drawsPerFrame.push(draws);
    requestAnimationFrame(frame);
  });
}

test('one draw in every animation frame; a second only where the frame resized the canvas', async () => {
  const page = await openPage(session, { workerInit: [countWebGLDraws, countDrawsPerFrame] });
  const frames = async (count) => {
    await waitIn(page.program, (n) => drawsPerFrame.length >= n, count, 60000);
    return page.program.evaluate(() => drawsPerFrame.splice(0));
  };
  // Frames come at the rate the browser shows them: a few a second in a busy
  // software renderer.
  const steady = await frames(10);
  assert.deepEqual(steady.filter((draws) => draws !== 1), [], `draws per frame: ${steady}`);
  // Resizing clears the canvas, and the reshape draws the picture again at the
  // new size at once, so that no frame shows it blank or stretched. Once the
  // canvas shows the new size, the reshape has drawn: in a frame counted
  // already, or else in the next one counted.
  await resizeFrame(page, 500, 400);
  const resized = await frames(await page.program.evaluate(() => drawsPerFrame.length) + 1);
  assert.deepEqual(resized.filter((draws) => draws > 2), [], `while resizing: ${resized}`);
  await page.program.evaluate(() => drawsPerFrame.splice(0));
  const after = await frames(5);
  assert.deepEqual(after.filter((draws) => draws !== 1), [], `after the resize: ${after}`);
  assert.deepEqual(page.errors, []);
});
