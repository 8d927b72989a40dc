// The live page: controls built from what each host declares, images
// re-rendered as they change (a coarse one at once, the full one when the
// input rests), and the whole state kept in the address for bookmarks.
'use strict';

const HOSTS = ['maya', 'mentalray'];
const SCENE_KEYS = ['width', 'height', 'samples', 'areaSamples', 'environment', 'lights', 'envTurn', 'envIntensity',
                    'exposure', 'irradianceRays'];
const REST_MS = 250;
let model = null;
const values = { maya: {}, mentalray: {} };  // input name -> text as --set takes it
const declared = { maya: {}, mentalray: {} };
const latestAsked = { maya: 0, mentalray: 0 };
const latestShown = { maya: 0, mentalray: 0 };
const restTimers = {};
let pending = 0;
let blocks = [];

const $ = (id) => document.getElementById(id);

function say(text, isError) {
  const line = $('message');
  line.textContent = text;
  line.className = isError ? 'error' : '';
}

// --- state in the address -------------------------------------------------

function sceneState() {
  return {
    width: Number($('width').value), height: Number($('height').value), samples: Number($('samples').value),
    areaSamples: Number($('areaSamples').value), environment: Number($('environment').value),
    // Lighting values as typed: the server reads them as the command line does.
    lights: $('lights').value, envTurn: $('envTurn').value, envIntensity: $('envIntensity').value,
    exposure: $('exposure').value, irradianceRays: $('irradianceRays').value,
  };
}

function sweepState() {
  const sweeps = [];
  for (const i of [0, 1]) {
    if (!$(`sweep-${i}-on`).checked) continue;
    sweeps.push(`${$(`sweep-${i}-name`).value}=${$(`sweep-${i}-from`).value}:${$(`sweep-${i}-to`).value}:` +
                $(`sweep-${i}-steps`).value);
  }
  return sweeps;
}

function writeAddress() {
  const p = new URLSearchParams();
  const s = sceneState();
  for (const key of Object.keys(s)) if (s[key] !== model.defaults[key] && !(key === 'environment' && s[key] === 0)) p.set(key, s[key]);
  if (!$('link').checked) p.set('link', 'off');
  for (const host of HOSTS)
    for (const name of Object.keys(values[host]))
      if (values[host][name] !== declared[host][name].default) p.set(`${host}.${name}`, values[host][name]);
  sweepState().forEach((sweep) => p.append('sweep', sweep));
  history.replaceState(null, '', '#' + p.toString());
}

function readAddress() {
  const p = new URLSearchParams(location.hash.slice(1));
  for (const key of SCENE_KEYS)
    if (p.has(key)) $(key).value = p.get(key);
  $('link').checked = p.get('link') !== 'off';
  for (const [key, value] of p) {
    const dot = key.indexOf('.');
    const host = key.slice(0, dot), name = key.slice(dot + 1);
    if (HOSTS.includes(host) && declared[host][name]) values[host][name] = value;
  }
  p.getAll('sweep').slice(0, 2).forEach((text, i) => {
    const m = /^([^=]+)=([^:]*):([^:]*):(\d+)$/.exec(text);
    if (!m) return;
    $(`sweep-${i}-on`).checked = true;
    $(`sweep-${i}-name`).value = m[1];
    $(`sweep-${i}-from`).value = m[2];
    $(`sweep-${i}-to`).value = m[3];
    $(`sweep-${i}-steps`).value = m[4];
  });
}

// --- controls ---------------------------------------------------------------

function hexOf(text) {
  const c = text.split(',').map(Number);
  const byte = (v) => Math.round(Math.min(1, Math.max(0, v)) * 255).toString(16).padStart(2, '0');
  return '#' + c.map(byte).join('');
}

function textOfHex(hex) {
  const n = [1, 3, 5].map((i) => parseInt(hex.substr(i, 2), 16) / 255);
  return n.map((v) => String(Number(v.toFixed(4)))).join(',');
}

// One control of one host's input; show(text) puts a value into it.
function makeControl(host, input) {
  const cell = document.createElement('td');
  const set = (text) => inputChanged(host, input.name, text);
  let show;
  if (input.kind === 'scalar') {
    const slider = document.createElement('input');
    slider.type = 'range';
    slider.min = input.softMin ?? 0;
    slider.max = input.softMax ?? Math.max(1, 2 * Number(input.default));
    slider.step = 'any';
    const field = document.createElement('input');
    field.className = 'value';
    slider.addEventListener('input', () => { field.value = String(Number(Number(slider.value).toFixed(4))); set(field.value); });
    field.addEventListener('change', () => set(field.value));
    cell.append(slider, field);
    show = (text) => { field.value = text; slider.value = text; };
  } else if (input.kind === 'integer') {
    const field = document.createElement('input');
    field.className = 'value';
    field.type = 'number';
    field.step = '1';
    field.addEventListener('change', () => set(field.value));
    cell.append(field);
    show = (text) => { field.value = text; };
  } else if (input.kind === 'boolean') {
    const box = document.createElement('input');
    box.type = 'checkbox';
    box.addEventListener('change', () => set(box.checked ? 'on' : 'off'));
    cell.append(box);
    show = (text) => { box.checked = text === 'on'; };
  } else if (input.kind === 'vector') {
    // One number field per component.
    const fields = ['x', 'y', 'z'].map((axis) => {
      const field = document.createElement('input');
      field.className = 'value';
      field.title = axis;
      field.addEventListener('change', () => set(fields.map((f) => f.value).join(',')));
      return field;
    });
    cell.append(...fields);
    show = (text) => text.split(',').forEach((part, i) => { if (fields[i]) fields[i].value = part; });
  } else {
    const field = document.createElement('input');
    field.className = 'triple';
    field.title = 'r,g,b';
    field.addEventListener('change', () => set(field.value));
    const picker = document.createElement('input');
    picker.type = 'color';
    picker.addEventListener('input', () => { field.value = textOfHex(picker.value); set(field.value); });
    cell.append(picker, field);
    show = (text) => { field.value = text; picker.value = hexOf(text); };
  }
  cell.dataset.host = host;
  cell.dataset.input = input.name;
  input.show = show;
  return cell;
}

function buildControls() {
  const names = [];
  for (const host of HOSTS)
    for (const input of model.hosts[HOSTS.indexOf(host)].inputs) {
      declared[host][input.name] = input;
      values[host][input.name] = input.default;
      if (!names.includes(input.name)) names.push(input.name);
    }
  const body = document.querySelector('#inputs tbody');
  for (const name of names) {
    const row = document.createElement('tr');
    const label = document.createElement('th');
    label.textContent = name;
    row.append(label);
    for (const host of HOSTS) {
      if (declared[host][name]) {
        row.append(makeControl(host, declared[host][name]));
      } else {
        const cell = document.createElement('td');
        cell.className = 'absent';
        cell.textContent = `not in ${host === 'maya' ? 'Maya' : 'mental ray'}`;
        row.append(cell);
      }
    }
    body.append(row);
  }
  for (const i of [0, 1]) {
    const select = $(`sweep-${i}-name`);
    for (const name of names) {
      const input = declared.maya[name] || declared.mentalray[name];
      if (input.kind !== 'boolean' && input.kind !== 'integer') select.append(new Option(name, name));
    }
  }
  for (const [i, name] of model.environments.entries()) $('environment').append(new Option(name, i));
  for (const name of model.presets) $('preset').append(new Option(name, name));
  for (const key of Object.keys(model.defaults)) $(key).value = model.defaults[key];
}

function showValues() {
  for (const host of HOSTS)
    for (const name of Object.keys(values[host])) declared[host][name].show(values[host][name]);
}

// --- rendering --------------------------------------------------------------

function inputChanged(host, name, text) {
  const hosts = [host];
  values[host][name] = text;
  const other = HOSTS[1 - HOSTS.indexOf(host)];
  if ($('link').checked && declared[other][name] && declared[other][name].kind === declared[host][name].kind) {
    values[other][name] = text;
    declared[other][name].show(text);
    hosts.push(other);
  }
  changed(hosts);
}

function changed(hosts) {
  writeAddress();
  for (const host of hosts) {
    render(host, 'coarse');
    clearTimeout(restTimers[host]);
    restTimers[host] = setTimeout(() => render(host, 'full'), REST_MS);
  }
}

// The values a host's image takes that differ from its defaults, as --set
// would give them; the other host's go along for the image's record.
function changedInputs(host, swept) {
  const inputs = {};
  for (const name of Object.keys(values[host]))
    if (!swept.includes(name) && values[host][name] !== declared[host][name].default) inputs[name] = values[host][name];
  return inputs;
}

function renderBody(host, quality) {
  const sweeps = sweepState();
  const swept = sweeps.map((s) => s.split('=')[0]);
  const other = HOSTS.find((h) => h !== host);
  return Object.assign({ host, quality, inputs: changedInputs(host, swept), otherInputs: changedInputs(other, swept),
                         sweeps }, sceneState());
}

async function render(host, quality) {
  const ticket = ++latestAsked[host];
  const body = renderBody(host, quality);
  pending++;
  watchProgress();
  try {
    const answer = await fetch('/api/render', {
      method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body),
    });
    if (answer.status === 409) return;  // overtaken by a newer change
    if (!answer.ok) { say(await errorOf(answer), true); return; }
    const blob = await answer.blob();
    if (ticket < latestShown[host]) return;
    latestShown[host] = ticket;
    const image = $(`image-${host}`);
    const url = URL.createObjectURL(blob);
    // The image's bytes stay at its address until the next one replaces it.
    const previous = image.src;
    image.onload = () => {
      if (previous.startsWith('blob:')) URL.revokeObjectURL(previous);
      image.style.width = body.width + 'px';
      image.style.height = body.height + 'px';
      image.dataset.quality = quality;
      image.dataset.look = JSON.stringify(body);
    };
    image.src = url;
  } catch (e) {
    say(`cannot reach glossy-preview (${e.message})`, true);
  } finally {
    pending--;
  }
}

async function errorOf(answer) {
  if (answer.status === 413) return `too large: at most ${model.limits.upload} bytes`;
  try { return (await answer.json()).error; } catch (e) { return `refused (${answer.status})`; }
}

let watching = false;
async function watchProgress() {
  if (watching) return;
  watching = true;
  while (pending > 0) {
    try {
      const p = await (await fetch('/api/progress')).json();
      for (const host of HOSTS) $(`progress-${host}`).value = p[host].total ? p[host].done / p[host].total : 0;
    } catch (e) { break; }
    await new Promise((r) => setTimeout(r, 150));
  }
  for (const host of HOSTS) $(`progress-${host}`).value = 1;
  watching = false;
}

// --- looks ------------------------------------------------------------------

// As on the command line: each setting goes to every host that has the input.
function applySettings(settings, source) {
  for (const { name, value } of settings)
    for (const host of HOSTS)
      if (declared[host][name]) { values[host][name] = value; declared[host][name].show(value); }
  say(`applied ${source}`);
  changed(HOSTS);
}

async function applyPreset() {
  const name = $('preset').value;
  const answer = await fetch('/api/preset?name=' + encodeURIComponent(name));
  if (!answer.ok) { say(await errorOf(answer), true); return; }
  applySettings((await answer.json()).settings, `preset ${name}`);
}

async function openFile() {
  const file = $('open').files[0];
  if (!file) return;
  const kind = file.name.endsWith('.mel') ? 'preset' : file.name.endsWith('.mi') ? 'shader' : null;
  $('open').value = '';
  if (!kind) { say(`${file.name}: expected a .mel preset or a .mi file`, true); return; }
  const answer = await fetch(`/api/read?kind=${kind}&file=${encodeURIComponent(file.name)}`, {
    method: 'POST', headers: { 'Content-Type': 'application/octet-stream' }, body: await file.arrayBuffer(),
  });
  if (!answer.ok) { say(await errorOf(answer), true); return; }
  const read = await answer.json();
  if (kind === 'preset') { applySettings(read.settings, file.name); return; }
  blocks = read.blocks;
  $('block').replaceChildren(...blocks.map((b, i) => new Option(b.name, i)));
  $('blocks').hidden = blocks.length < 2;
  if (blocks.length === 1) applySettings(blocks[0].settings, `${file.name} "${blocks[0].name}"`);
  else say(`${file.name} holds ${blocks.length} kova_glossy blocks: pick one`);
}

async function save(kind) {
  const host = kind === 'preset' ? 'maya' : 'mentalray';
  const name = $('look-name').value;
  const answer = await fetch('/api/save?kind=' + kind, {
    method: 'POST', headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify({ name, inputs: values[host] }),
  });
  if (!answer.ok) { say(await errorOf(answer), true); return; }
  const disposition = answer.headers.get('Content-Disposition') || '';
  const file = (/filename="([^"]+)"/.exec(disposition) || [])[1] || 'look';
  const link = document.createElement('a');
  link.href = URL.createObjectURL(await answer.blob());
  link.download = file;
  link.click();
  say(`saved ${file}`);
}

// --- start ------------------------------------------------------------------

async function start() {
  model = await (await fetch('/api/model')).json();
  buildControls();
  readAddress();
  showValues();
  for (const id of SCENE_KEYS)
    $(id).addEventListener('change', () => changed(HOSTS));
  for (const i of [0, 1])
    for (const part of ['on', 'name', 'from', 'to', 'steps'])
      $(`sweep-${i}-${part}`).addEventListener('change', () => changed(HOSTS));
  $('link').addEventListener('change', writeAddress);
  $('apply-preset').addEventListener('click', applyPreset);
  $('open').addEventListener('change', openFile);
  $('apply-block').addEventListener('click', () => {
    const block = blocks[Number($('block').value)];
    applySettings(block.settings, `block "${block.name}"`);
  });
  $('save-preset').addEventListener('click', () => save('preset'));
  $('save-shader').addEventListener('click', () => save('shader'));
  for (const host of HOSTS) render(host, 'full');
}

start();
