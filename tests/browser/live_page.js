// The live page in Debian's Chromium, headless: a moved slider renders the
// bytes the command line writes for the same look; a shipped preset and a
// shader block open; both saved forms download and read back; a file that
// does not read shows its one line; a sweep from the address shows the
// command line's sheets. Usage: node live_page.js GLOSSY_PREVIEW WORKDIR
'use strict';

const { spawn, execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const assert = require('node:assert/strict');
const puppeteer = require('puppeteer-core');

const [program, work] = process.argv.slice(2);
const docs = path.join(__dirname, '..', '..', 'docs');
const WAIT = { timeout: 60000 };
fs.rmSync(work, { recursive: true, force: true });
fs.mkdirSync(path.join(work, 'downloads'), { recursive: true });

function startServer() {
  const child = spawn(program, ['--serve', '--port', '0', '--threads', '2'], { stdio: ['ignore', 'pipe', 'pipe'] });
  let said = '';
  child.stderr.on('data', (d) => { said += d; });
  child.said = () => said;
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error('no address within 30 s')), 30000);
    child.stdout.on('data', (d) => {
      const m = /(http:\/\/127\.0\.0\.1:\d+\/)/.exec(String(d));
      if (m) { clearTimeout(timer); resolve({ child, address: m[1] }); }
    });
  });
}

// Both images show full renders of a look for which `wanted(look)` holds.
async function bothFull(page, wanted) {
  await page.waitForFunction((source) => {
    const test = new Function('look', 'return ' + source);
    return ['maya', 'mentalray'].every((h) => {
      const image = document.getElementById('image-' + h);
      return image.dataset.quality === 'full' && test(JSON.parse(image.dataset.look || '{}'));
    });
  }, WAIT, wanted);
}

async function shownBytes(page, host) {
  const base64 = await page.evaluate(async (h) => {
    const bytes = new Uint8Array(await (await fetch(document.getElementById('image-' + h).src)).arrayBuffer());
    let text = '';
    for (const b of bytes) text += String.fromCharCode(b);
    return btoa(text);
  }, host);
  return Buffer.from(base64, 'base64');
}

async function open(page, file) {
  const input = await page.$('#open');
  await input.uploadFile(file);
}

async function message(page, fragment) {
  await page.waitForFunction((f) => document.getElementById('message').textContent.includes(f), WAIT, fragment);
  return page.$eval('#message', (m) => ({ text: m.textContent, error: m.className === 'error' }));
}

const valueOf = (page, host, input) =>
  page.$eval(`td[data-host=${host}][data-input=${input}] input:not([type=range]):not([type=color])`, (f) => f.value);

async function main() {
  const { child, address } = await startServer();
  const browser = await puppeteer.launch({
    executablePath: process.env.GLOSSY_CHROMIUM || '/usr/bin/chromium', headless: true, args: ['--no-sandbox', '--disable-gpu'],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1280, height: 900 });
    // The address carries the scene: a small one, quick to render.
    await page.goto(address + '#width=160&height=120&samples=4', { waitUntil: 'load' });
    await bothFull(page, 'look.width === 160');

    // Move the Maya roughness slider; linked, both hosts follow.
    await page.$eval('td[data-host=maya][data-input=roughness] input[type=range]', (slider) => {
      slider.value = '0.15';
      slider.dispatchEvent(new Event('input', { bubbles: true }));
    });
    await bothFull(page, 'look.inputs.roughness === "0.15"');
    assert.match(page.url(), /maya\.roughness=0\.15/);
    const cli = path.join(work, 'cli');
    execFileSync(program, ['--width', '160', '--height', '120', '--samples', '4', '--set', 'roughness=0.15',
                           '--out', cli], { stdio: 'ignore' });
    for (const host of ['maya', 'mentalray'])
      assert.ok((await shownBytes(page, host)).equals(fs.readFileSync(path.join(cli, host + '.png'))),
                `${host}: the page's image is not the command line's`);

    // A shipped preset, then a shader block.
    await page.select('#preset', 'satin');
    await page.click('#apply-preset');
    await bothFull(page, 'look.inputs.color === "0.55,0.1,0.16"');
    await open(page, path.join(docs, 'lacquer.mi'));
    await message(page, 'lacquer.mi');
    assert.equal(await valueOf(page, 'mentalray', 'roughness'), '0.05');

    // Save both forms, then open what was saved.
    const cdp = await page.createCDPSession();
    const downloads = path.join(work, 'downloads');
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    await page.$eval('#look-name', (f) => { f.value = 'saved'; });
    await page.click('#save-preset');
    await page.click('#save-shader');
    for (const file of ['saved.mel', 'saved.mi']) {
      const at = path.join(downloads, file);
      for (let i = 0; i < 300 && !fs.existsSync(at); ++i) await new Promise((r) => setTimeout(r, 100));
      assert.ok(fs.existsSync(at), `${file} was not downloaded`);
    }
    assert.match(fs.readFileSync(path.join(downloads, 'saved.mel'), 'utf8'), /blendAttr "roughness" 0\.05;/);
    await page.select('#preset', 'cartoon');
    await page.click('#apply-preset');
    await message(page, 'preset cartoon');
    await open(page, path.join(downloads, 'saved.mi'));
    await message(page, 'applied saved.mi');
    assert.equal(await valueOf(page, 'mentalray', 'roughness'), '0.05');
    await open(page, path.join(downloads, 'saved.mel'));
    await message(page, 'applied saved.mel');
    assert.equal(await valueOf(page, 'maya', 'roughness'), '0.05');

    // A preset that does not read: its one line, as the command line says it.
    const bad = path.join(work, 'bad.mel');
    fs.writeFileSync(bad, 'startAttrPreset( "glossy" );\nblendAttr "color" 1 2;\nendAttrPreset();\n');
    await open(page, bad);
    const line = await message(page, 'bad.mel:2:');
    assert.ok(line.error);
    assert.equal(line.text, 'bad.mel:2: expected 3 numbers for "color", found \';\'');

    if (process.env.GLOSSY_SCREENSHOT) {
      await bothFull(page, 'true');
      await page.screenshot({ path: process.env.GLOSSY_SCREENSHOT });
    }

    // A sweep from the address, under the sky alone and brightened: the sheets,
    // labels and record and all, are the command line's.
    await page.goto('about:blank');
    await page.goto(address + '#width=150&height=60&samples=1&maya.sharpness=0.9&mentalray.sharpness=0.9' +
                    '&lights=off&exposure=0.5&sweep=' + encodeURIComponent('roughness=0.1:0.5:3'), { waitUntil: 'load' });
    await bothFull(page, 'look.sweeps.length === 1 && look.width === 150 && look.exposure === "0.5"');
    const sheet = path.join(work, 'sheet');
    execFileSync(program, ['--width', '150', '--height', '60', '--samples', '1', '--sweep', 'roughness=0.1:0.5:3',
                           '--set', 'sharpness=0.9', '--lights', 'off', '--exposure', '0.5', '--out', sheet],
                 { stdio: 'ignore' });
    for (const host of ['maya', 'mentalray'])
      assert.ok((await shownBytes(page, host)).equals(fs.readFileSync(path.join(sheet, host + '.png'))),
                `${host}: the page's sheet is not the command line's`);
  } finally {
    await browser.close();
    child.kill('SIGINT');
  }
  const status = await new Promise((resolve) => child.on('exit', (code) => resolve(code)));
  assert.equal(status, 0, child.said());
  console.log('live page: 1 passed, 0 failed');
}

main().catch((e) => { console.error(e); process.exit(1); });
