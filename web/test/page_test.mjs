// The page in Debian's Chromium, driven through the DevTools protocol: the panel typed on with the
// pointer at the key table's screen points (kweno-sim --print-keys) on real time, in both variants,
// and the canvas after a fixed gesture against the simulator's screenshot of the same gesture.
// Every wait is for an effect (the text, the canvas), never for a time.
//   node page_test.mjs PAGE_DIR KEYS_JSON SHOTS_DIR [PICTURE_PNG]
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { PNG } from 'pngjs';
import puppeteer from 'puppeteer-core';

const [pageDir, keysFile, shotsDir, picture] = process.argv.slice(2);
const keys = JSON.parse(fs.readFileSync(keysFile, 'utf8'));
const effectTimeout = 30000; // a loaded machine is slow, but an effect that never comes fails

let browser, profile;
before(async () => {
  profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kweno-chromium-'));
  browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    // Without these Chromium reaches for the network at start, which this machine refuses.
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', `--user-data-dir=${profile}`],
    defaultViewport: { width: 1000, height: 720 },
  });
});
after(async () => {
  await browser?.close();
  fs.rmSync(profile, { recursive: true, force: true });
});

// The page, started on the variant, its first frame drawn.
async function openPage(variant) {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto('file://' + path.resolve(pageDir, 'index.html'));
  const ready = (wanted) => page.waitForFunction((v) => document.body.dataset.state === 'ready' &&
    document.getElementById('status').textContent.startsWith(v), { timeout: effectTimeout }, wanted);
  await ready('day').catch(() => assert.fail(`the page did not start: ${errors.join('; ')}`));
  if (variant === 'night') {
    await page.click('#variant');
    await ready('night');
  }
  await until(page, 'the first frame is drawn', () => {
    const c = document.getElementById('screen');
    return c.getContext('2d').getImageData(0, c.height - 1, 1, 1).data[3] === 255;
  });
  return page;
}

async function until(page, effect, predicate, ...args) {
  try {
    await page.waitForFunction(predicate, { timeout: effectTimeout, polling: 'raf' }, ...args);
  } catch (error) {
    const text = await page.$eval('#text', (t) => t.value);
    assert.fail(`waited for ${effect}: it did not come (the text is ${JSON.stringify(text)}): ${error.message}`);
  }
}

const untilText = (page, text) =>
  until(page, `the text ${JSON.stringify(text)}`, (t) => document.getElementById('text').value === t, text);

// The page coordinates of a screen point of the handheld.
function pagePoint(page, [x, y]) {
  return page.$eval('#screen', (c, x, y) => {
    const box = c.getBoundingClientRect(), border = c.clientLeft;
    const width = box.width - 2 * border, height = box.height - 2 * border;
    const scale = Math.min(width / c.width, height / c.height);
    return [box.left + border + (width - c.width * scale) / 2 + (x + 0.5) * scale,
      box.top + border + (height - c.height * scale) / 2 + (y + 0.5) * scale];
  }, x, y);
}

async function penDown(page, point) {
  await page.mouse.move(...await pagePoint(page, point));
  await page.mouse.down();
}
async function penMove(page, point) {
  await page.mouse.move(...await pagePoint(page, point));
}
const penUp = (page) => page.mouse.up();

const canvasPixels = (page) => page.$eval('#screen', (c) => {
  return Array.from(c.getContext('2d').getImageData(0, 0, c.width, c.height).data);
});

// Until most of the popup's rectangle shows something else than before the press: the popup, not
// the magnifier, which covers far less of it.
async function untilPopup(page, key, before) {
  const [left, top, right, bottom] = key.popup;
  await until(page, 'the popup', (before, left, top, right, bottom) => {
    const c = document.getElementById('screen');
    const now = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let changed = 0;
    for (let y = top; y < bottom; y++)
      for (let x = left; x < right; x++)
        changed += now[4 * (y * c.width + x)] !== before[4 * (y * c.width + x)] ? 1 : 0;
    return changed > (right - left) * (bottom - top) / 2;
  }, before, left, top, right, bottom);
}

// A tap: the text must grow by what the key types, and the press must stay short of the hold.
async function tap(page, key, typed) {
  const before = await page.$eval('#text', (t) => t.value);
  await penDown(page, key.at);
  await penUp(page);
  await untilText(page, before + typed);
}

// Holds the key until its popup opens, and lifts: the popup waits for a tap.
async function holdForPopup(page, key) {
  const before = await canvasPixels(page);
  await penDown(page, key.at);
  await untilPopup(page, key, before);
  await penUp(page);
}

async function dragToCell(page, key, cell, typed) {
  const before = await canvasPixels(page), text = await page.$eval('#text', (t) => t.value);
  await penDown(page, key.at);
  await untilPopup(page, key, before);
  const [x, y] = key.cells[cell];
  await penMove(page, [Math.round((key.at[0] + x) / 2), Math.round((key.at[1] + y) / 2)]);
  await penMove(page, [x, y]);
  await penUp(page);
  await untilText(page, text + typed);
}

async function rotate(page) {
  await page.click('#rotate');
  await until(page, 'the landscape screen', () => document.getElementById('screen').width === 640);
}

for (const variant of ['day', 'night']) {
  test(`${variant}: taps, a held popup, a drag to a cell, auto-repeat and a turn to landscape type exactly`, async () => {
    const page = await openPage(variant);
    const lower = keys.portrait.lower;
    await tap(page, lower.q, 'q');
    await tap(page, lower.g, 'g');
    await holdForPopup(page, lower.a);
    await tap(page, { at: lower.a.cells['ä'] }, 'ä');
    await dragToCell(page, lower.o, 'ö', 'ö');
    // Backspace held: its repeats, at the system's rate, empty the field.
    await penDown(page, lower.backspace.at);
    await untilText(page, '');
    await penUp(page);

    await rotate(page);
    const wide = keys.landscape;
    await tap(page, wide.lower.w, 'w');
    await tap(page, wide.lower.k, 'k');
    const faceBefore = await canvasPixels(page);
    await penDown(page, wide.lower.shift.at);
    await penUp(page);
    await until(page, 'the shifted face', (before) => {
      const c = document.getElementById('screen');
      const now = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
      return now.some((v, i) => v !== before[i]);
    }, faceBefore);
    await tap(page, wide.shift.T, 'T');
    await dragToCell(page, wide.lower.e, 'é', 'é');
    assert.equal(await page.$eval('#text', (t) => t.value), 'wkTé');
    await page.close();
  });

  test(`${variant}: the canvas after a fixed gesture is the simulator's screenshot of it`, async () => {
    const page = await openPage(variant);
    const lower = keys.portrait.lower;
    await tap(page, lower.q, 'q');
    await tap(page, lower.g, 'g');
    await holdForPopup(page, lower.a);
    const shot = PNG.sync.read(fs.readFileSync(path.join(shotsDir, variant, '01-the-popup-of-a-waits.png')));
    const pixels = await canvasPixels(page);
    assert.equal(pixels.length, shot.width * shot.height * 4, 'the canvas is the screenshot\'s size');
    let differing = 0;
    for (let i = 0; i < pixels.length; i += 4)
      differing += pixels[i] !== shot.data[i] || pixels[i + 1] !== shot.data[i + 1] || pixels[i + 2] !== shot.data[i + 2];
    assert.equal(differing, 0, `pixels that differ from the simulator's screenshot`);
    if (picture && variant === 'day')
      await page.screenshot({ path: picture });
    await page.close();
  });
}
