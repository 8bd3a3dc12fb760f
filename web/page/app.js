'use strict';
// The page: the start panel, the world on a canvas (drawn as the desktop draws it), its
// figures and graph, files opened and downloaded, and the link that holds a world. The world
// itself is the core's, compiled to WebAssembly (vivarion.js): the same worlds as the desktop's.

const SPEEDS = [1, 2, 5, 10, 20, 50, 100, 200, 500];  // steps a frame
const SEED_SIZE = [800, 600];  // the window the desktop's Go and the runner scatter a new world over
const $ = (id) => document.getElementById(id);

const page = {
  M: null, world: null, running: false, paused: false, fromFile: false,
  view: { scrollX: 0, scrollY: 0, zoom: 0.2 },
  shipped: {}, keys: [], counts: [3, 300], seed: 0, animalNames: [], extraAnimals: {},
  samples: [], selected: 0, lastFrame: 0, rate: 0,
  notice: '', noticeUntil: 0,  // a confirmation on the status line, kept a few seconds
};

// Says something on the status line for a few seconds (the figures' status comes back after).
function notify(text) {
  page.notice = text;
  page.noticeUntil = performance.now() + 4000;
  $('status').textContent = text;
}

function showMessage(text) {
  $('message').textContent = text;
  $('message').hidden = !text;
}

// The [VIVARION] values of a settings file's text, by key.
function settingsOf(text) {
  const values = {};
  let inSection = false;
  for (const raw of text.split('\n')) {
    const line = raw.replace(/\s;.*$/, '').trim();
    if (line.startsWith('[')) { inSection = line.toUpperCase() === '[VIVARION]'; continue; }
    const eq = line.indexOf('=');
    if (!inSection || eq < 0 || line.startsWith(';')) continue;
    const key = line.slice(0, eq).trim();
    if (!(key in values)) values[key] = line.slice(eq + 1).trim().replace(/^"(.*)"$/, '$1');
  }
  return values;
}

function populationOf(text) {
  const get = (key, fallback) => {
    const m = text.match(new RegExp('^\\s*' + key + '\\s*=\\s*(\\d+)', 'mi'));
    return m ? Number(m[1]) : fallback;
  };
  return [get('NumCreatures', 1), get('NumFood', 300)];
}

// The settings as typed on the start panel; those that differ from the shipped file.
function settingsTyped() {
  const values = {};
  for (const key of page.keys) values[key] = $('key-' + key).value.trim();
  return values;
}
function settingsChanged() {
  const typed = settingsTyped(), changed = {};
  for (const key of page.keys) if (Number(typed[key]) !== Number(page.shipped[key] ?? 0)) changed[key] = typed[key];
  return changed;
}

function fillStartPanel() {
  const list = $('animals');
  list.textContent = '';
  for (const name of page.animalNames.concat(Object.keys(page.extraAnimals))) {
    const item = document.createElement('li');
    item.innerHTML = '<label><input type="checkbox"> </label>';
    item.querySelector('input').value = name;
    item.querySelector('input').checked = name in page.extraAnimals;
    item.querySelector('label').append(name);
    list.append(item);
  }
  const grid = $('settings');
  if (!grid.childElementCount) {
    for (const key of page.keys) {
      const label = document.createElement('label');
      label.textContent = key;
      label.htmlFor = 'key-' + key;
      const input = document.createElement('input');
      input.id = 'key-' + key;
      input.value = page.shipped[key] ?? '0';
      input.addEventListener('input', () => {
        input.classList.toggle('changed', Number(input.value) !== Number(page.shipped[key] ?? 0));
        input.classList.remove('bad');
      });
      grid.append(label, input);
    }
  }
}

// Starts the link's world, or the start panel's.
async function go() {
  const M = page.M;
  showMessage('');
  const chosen = [...document.querySelectorAll('#animals input:checked')].map((i) => i.value);
  const paths = new M.StringList();
  try {
    M.FS.mkdirTree('/animals');
    for (const name of chosen) {
      const text = name in page.extraAnimals ? page.extraAnimals[name] : await fetchText('animals/' + name);
      M.FS.writeFile('/animals/' + name, text);
      paths.push_back('/animals/' + name);
    }
  } catch (e) {
    showMessage(String(e.message || e));
    return;
  }
  const typed = settingsTyped();
  M.FS.writeFile('/VIVARION.ini', '[VIVARION]\n' + page.keys.map((k) => k + '=' + typed[k]).join('\n') + '\n');
  const animals = Number($('count-animals').value), plants = Number($('count-plants').value);
  const seed = $('seed').value === '' ? Math.floor(Math.random() * 4294967296) : Number($('seed').value);
  for (const [name, value] of [['Animals', animals], ['Plants', plants], ['Seed', seed]]) {
    if (!Number.isSafeInteger(value) || value < 0 || (name !== 'Seed' && value > 1000000)) {
      paths.delete();
      showMessage(`${name}: '${$(name === 'Seed' ? 'seed' : 'count-' + name.toLowerCase()).value}' is not a whole number of 0 or more` +
                  (name === 'Seed' ? '' : ' (at most 1,000,000)'));
      return;
    }
  }
  const world = new M.World();
  const error = world.start('/VIVARION.ini', seed, paths, animals, plants, SEED_SIZE[0], SEED_SIZE[1]);
  paths.delete();
  if (error) {
    world.delete();
    // The settings were typed on this page, not in a file: the field is named and marked.
    const bad = page.keys.find((key) => error.startsWith('/VIVARION.ini: ' + key + ':'));
    if (bad) {
      $('settings-panel').open = true;
      $('key-' + bad).classList.add('bad');
      $('key-' + bad).focus();
      showMessage('Settings, ' + error.slice('/VIVARION.ini: '.length));
    } else {
      showMessage(error.replace(/^\/VIVARION\.ini: /, 'Settings: '));
    }
    return;
  }
  Object.assign(page, { seed, counts: [animals, plants], chosen, fromFile: false });
  show(world);
}

function show(world) {
  if (page.world) page.world.delete();
  page.world = world;
  page.samples = [];
  page.selected = 0;
  page.view = { scrollX: 0, scrollY: 0, zoom: 0.2 };
  page.running = true;
  $('start').hidden = true;
  $('world').hidden = false;
  $('link').disabled = page.fromFile;
  $('link').title = page.fromFile ? 'A world opened from a file is not held by a link' : '';
  sample();
  $('view').focus();
}

// Opens a file the user gave: a world file replaces the world; an animal file goes into the
// running world at the view's centre, or onto the start panel's list.
function openFile(name, bytes) {
  showMessage('');
  const M = page.M;
  if (/\.viv$/i.test(name)) {
    const text = new TextDecoder().decode(bytes);
    if (page.running) {
      const x = -page.view.scrollX, y = -page.view.scrollY;
      const error = page.world.putAnimal(text, name, x, y);
      if (error) {
        showMessage(error);
      } else {
        // Shown as a click would show it, and said where it went.
        page.selected = page.world.lastPut();
        notify(`${name} is in the world at the view's centre (${Math.round(x)}, ${Math.round(y)})`);
      }
    } else {
      page.extraAnimals[name] = text;
      fillStartPanel();
    }
    return;
  }
  const world = new M.World();
  const error = world.load(bytes, name);
  if (error) {
    world.delete();
    showMessage(error);
    return;
  }
  page.fromFile = true;
  show(world);
}

function download() {
  const bytes = page.world.save();
  const a = document.createElement('a');
  a.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  a.download = 'world-' + page.world.stepCount() + '.vivw';
  a.click();
  setTimeout(() => URL.revokeObjectURL(a.href), 10000);
}

function linkToWorld() {
  const params = new URLSearchParams();
  params.set('seed', page.seed);
  params.set('animals', page.counts[0]);
  params.set('plants', page.counts[1]);
  if (page.chosen.length) params.set('files', page.chosen.join(','));
  for (const [key, value] of Object.entries(settingsChanged())) params.set(key, value);
  return location.origin + location.pathname + '?' + params.toString();
}

// The page's address may hold a world: its seed, population, animal files and settings.
function applyLink() {
  const params = new URLSearchParams(location.search);
  if (!params.has('seed')) return false;
  $('seed').value = params.get('seed');
  if (params.has('animals')) $('count-animals').value = params.get('animals');
  if (params.has('plants')) $('count-plants').value = params.get('plants');
  const files = (params.get('files') || '').split(',').filter(Boolean);
  for (const input of document.querySelectorAll('#animals input')) input.checked = files.includes(input.value);
  const unknown = files.filter((f) => !page.animalNames.includes(f));
  for (const key of page.keys) if (params.has(key)) $('key-' + key).value = params.get(key);
  // A misspelt key would start another world than the link's: it is said, and nothing starts.
  const known = ['seed', 'animals', 'plants', 'files', 'paused', ...page.keys];
  const strange = [...params.keys()].filter((k) => !known.includes(k));
  const problems = [];
  if (unknown.length) problems.push('animal files this page does not have: ' + unknown.join(', '));
  if (strange.length) problems.push((strange.length > 1 ? 'names that are not settings keys: ' : 'a name that is not a settings key: ') + strange.join(', '));
  if (problems.length) showMessage('The link holds ' + problems.join('; and ') + '. Check it, or start the world below.');
  page.paused = params.get('paused') === '1';
  return !problems.length;
}

function sample() {
  const f = page.world.figures();
  page.samples.push([f.step, f.animals, f.plants]);
  if (page.samples.length > 600) page.samples = page.samples.filter((_, k) => k % 2 === 0);
}

function frame(now) {
  requestAnimationFrame(frame);
  if (!page.running) return;
  const world = page.world;
  if (!page.paused) {
    const before = world.stepCount(), started = performance.now();
    const wanted = SPEEDS[Number($('speed').value)];
    let done = 0;
    // Steps in pieces, so that a slow world still draws some ten frames a second.
    while (done < wanted && performance.now() - started < 80) {
      const n = Math.min(wanted - done, 10);
      const error = world.step(n);
      if (error) {
        page.paused = true;
        showMessage(error);
        break;
      }
      done += n;
    }
    const seconds = (now - page.lastFrame) / 1000;
    if (page.lastFrame && seconds > 0) page.rate = page.rate * 0.9 + ((world.stepCount() - before) / seconds) * 0.1;
    if (Math.floor(world.stepCount() / 20) !== Math.floor(before / 20)) sample();
  }
  page.lastFrame = now;
  draw();
  tell();
  // When the first world was first drawn, since the page began loading (for the measures).
  if (!window.vivarionFirstFrame) window.vivarionFirstFrame = performance.now();
}

function colour(c) {
  return 'rgb(' + (c & 255) + ',' + ((c >>> 8) & 255) + ',' + ((c >>> 16) & 255) + ')';
}

function draw() {
  const canvas = $('view');
  if (canvas.width !== canvas.clientWidth || canvas.height !== canvas.clientHeight) {
    canvas.width = canvas.clientWidth;
    canvas.height = canvas.clientHeight;
  }
  const g = canvas.getContext('2d');
  g.fillStyle = '#000';
  g.fillRect(0, 0, canvas.width, canvas.height);
  const v = page.view;
  const shapes = page.world.draw(v.scrollX, v.scrollY, v.zoom, canvas.width, canvas.height);
  g.lineWidth = 1;
  for (let k = 0; k < shapes.length; k += 7) {
    if (shapes[k] === 1) {
      g.strokeStyle = colour(shapes[k + 1]);
      g.beginPath();
      g.moveTo(shapes[k + 3] + 0.5, shapes[k + 4] + 0.5);
      g.lineTo(shapes[k + 5] + 0.5, shapes[k + 6] + 0.5);
      g.stroke();
    } else {
      const x1 = Math.min(shapes[k + 3], shapes[k + 5]), x2 = Math.max(shapes[k + 3], shapes[k + 5]);
      const y1 = Math.min(shapes[k + 4], shapes[k + 6]), y2 = Math.max(shapes[k + 4], shapes[k + 6]);
      g.beginPath();
      g.ellipse((x1 + x2) / 2, (y1 + y2) / 2, Math.max((x2 - x1) / 2, 0.5), Math.max((y2 - y1) / 2, 0.5), 0, 0, 2 * Math.PI);
      g.fillStyle = colour(shapes[k + 2]);
      g.fill();
      g.strokeStyle = colour(shapes[k + 1]);
      g.stroke();
    }
  }
}

const grouped = (n) => Math.round(n).toLocaleString('en');

function tell() {
  const f = page.world.figures();
  $('figures').innerHTML = `Step <b>${grouped(f.step)}</b> &nbsp; ${page.paused ? 'paused' : grouped(page.rate) + ' steps a second'}<br>` +
    `Animals ${grouped(f.animals)} &nbsp; Plants ${grouped(f.plants)} &nbsp; Biomass ${grouped(f.biomass)} &nbsp; Species ${f.species}`;
  $('status').textContent = performance.now() < page.noticeUntil ? page.notice
    : page.fromFile ? 'A world from a file' : `Seed ${page.seed}`;
  $('pause').textContent = page.paused ? 'Run' : 'Pause';
  $('speed-text').textContent = SPEEDS[Number($('speed').value)] + ' steps a frame';
  drawGraph();
  if (page.selected) tellCreature();
}

function drawGraph() {
  const canvas = $('graph'), g = canvas.getContext('2d');
  g.clearRect(0, 0, canvas.width, canvas.height);
  const s = page.samples;
  if (s.length < 2) return;
  const top = Math.max(1, ...s.map((r) => Math.max(r[1], r[2])));
  const x = (k) => 30 + (k / (s.length - 1)) * (canvas.width - 36);
  const y = (v) => canvas.height - 16 - (v / top) * (canvas.height - 24);
  g.font = '10px sans-serif';
  g.fillStyle = '#555';
  g.fillText(String(top), 2, 12);
  g.fillText('0', 2, canvas.height - 16);
  g.fillText('step ' + grouped(s[0][0]) + ' to ' + grouped(s[s.length - 1][0]), 30, canvas.height - 3);
  for (const [column, style, name] of [[1, '#2a6fd6', 'animals'], [2, '#3a3', 'plants']]) {
    g.strokeStyle = style;
    g.beginPath();
    s.forEach((r, k) => (k ? g.lineTo(x(k), y(r[column])) : g.moveTo(x(k), y(r[column]))));
    g.stroke();
    g.fillStyle = style;
    g.fillText(name, canvas.width - 50, column === 1 ? 12 : 24);
  }
}

function tellCreature() {
  const c = page.world.creature(page.selected);
  const box = $('creature');
  box.hidden = false;
  if (!c) {
    box.innerHTML = `<h3>Creature ${page.selected}</h3>It has died.`;
    return;
  }
  box.innerHTML = `<h3>${c.plant ? 'Plant' : 'Animal'} ${c.serial}: ${escapeHtml(c.name)}</h3>` +
    `Parent ${c.parent || 'none'} &nbsp; born at step ${grouped(c.birthStep)}<br>` +
    `Energy ${c.energy.toFixed(1)} of ${c.maxEnergy.toFixed(1)} &nbsp; radius ${c.radius.toFixed(1)}<br>` +
    `Organs ${c.organs} &nbsp; taxon ${c.taxon}<br>At ${c.x.toFixed(1)}, ${c.y.toFixed(1)}`;
}

function escapeHtml(text) {
  return text.replace(/[&<>"]/g, (ch) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[ch]);
}

function toWorld(event) {
  const canvas = $('view'), rect = canvas.getBoundingClientRect(), v = page.view;
  const sx = event.clientX - rect.left, sy = event.clientY - rect.top;
  return [(sx - Math.trunc(canvas.width / 2)) / v.zoom - v.scrollX, (sy - Math.trunc(canvas.height / 2)) / v.zoom - v.scrollY];
}

function wireInput() {
  const canvas = $('view');
  let drag = null;
  canvas.addEventListener('pointerdown', (e) => {
    drag = { x: e.clientX, y: e.clientY, scrollX: page.view.scrollX, scrollY: page.view.scrollY, moved: false };
    canvas.setPointerCapture(e.pointerId);
  });
  canvas.addEventListener('pointermove', (e) => {
    if (!drag) return;
    const dx = e.clientX - drag.x, dy = e.clientY - drag.y;
    if (Math.abs(dx) + Math.abs(dy) > 3) drag.moved = true;
    if (!drag.moved) return;
    canvas.classList.add('dragging');
    page.view.scrollX = drag.scrollX + dx / page.view.zoom;
    page.view.scrollY = drag.scrollY + dy / page.view.zoom;
  });
  canvas.addEventListener('pointerup', (e) => {
    canvas.classList.remove('dragging');
    if (drag && !drag.moved) {
      const [x, y] = toWorld(e);
      page.selected = page.world.creatureAt(x, y);
      $('creature').hidden = !page.selected;
    }
    drag = null;
  });
  // The wheel zooms about the point under the pointer.
  canvas.addEventListener('wheel', (e) => {
    e.preventDefault();
    const [x, y] = toWorld(e);
    page.view.zoom = Math.min(20, Math.max(0.01, page.view.zoom * Math.pow(1.0015, -e.deltaY)));
    const [x2, y2] = toWorld(e);
    page.view.scrollX += x2 - x;
    page.view.scrollY += y2 - y;
  }, { passive: false });
  canvas.addEventListener('keydown', (e) => {
    if (e.key === ' ') { page.paused = !page.paused; e.preventDefault(); }
    if (e.key === '+' || e.key === '=') $('speed').value = Math.min(8, Number($('speed').value) + 1);
    if (e.key === '-') $('speed').value = Math.max(0, Number($('speed').value) - 1);
  });
  $('pause').addEventListener('click', () => { page.paused = !page.paused; });
  $('go').addEventListener('click', go);
  $('download').addEventListener('click', download);
  $('new').addEventListener('click', () => {
    page.running = false;
    $('world').hidden = true;
    $('start').hidden = false;
    fillStartPanel();
  });
  $('link').addEventListener('click', async () => {
    const link = linkToWorld();
    history.replaceState(null, '', link);
    try {
      await navigator.clipboard.writeText(link);
      showMessage('');
      notify('Link copied: anyone who opens it gets this world');
    } catch {
      notify('The link is in the address bar: copy it from there');
    }
  });
  $('file').addEventListener('change', async () => {
    for (const file of $('file').files) openFile(file.name, new Uint8Array(await file.arrayBuffer()));
    $('file').value = '';
  });
  document.addEventListener('dragover', (e) => { e.preventDefault(); document.body.classList.add('dropping'); });
  document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
  document.addEventListener('drop', async (e) => {
    e.preventDefault();
    document.body.classList.remove('dropping');
    for (const file of e.dataTransfer.files) openFile(file.name, new Uint8Array(await file.arrayBuffer()));
  });
}

async function fetchText(url) {
  const response = await fetch(url);
  if (!response.ok) throw new Error(url + ': ' + response.status + ' ' + response.statusText);
  return response.text();
}

// What the page's tests (and a curious user's console) drive it with.
function exposeForTests() {
  const bytesOf = (base64) => Uint8Array.from(atob(base64), (ch) => ch.charCodeAt(0));
  window.vivarion = {
    stepTo(step) {
      const error = page.world.step(step - page.world.stepCount());
      if (error) throw new Error(error);
      return page.world.hash();
    },
    hash: () => page.world.hash(),
    figures: () => page.world.figures(),
    open: (name, base64) => openFile(name, bytesOf(base64)),
    save() {
      let text = '';
      for (const b of page.world.save()) text += String.fromCharCode(b);
      return btoa(text);
    },
    message: () => ($('message').hidden ? '' : $('message').textContent),
    pause: (paused) => { page.paused = paused; },
    link: () => linkToWorld(),
    // Centres the view on the first living animal at a zoom, and shows its information.
    inspectFirstAnimal(zoom) {
      const a = page.world.animals();
      if (!a.length) return 0;
      Object.assign(page.view, { scrollX: -a[1], scrollY: -a[2], zoom });
      page.selected = a[0];
      return a[0];
    },
    // Steps a second of the world shown, over n steps.
    speed(n) {
      const started = performance.now();
      const error = page.world.step(n);
      if (error) throw new Error(error);
      return n / ((performance.now() - started) / 1000);
    },
  };
}

async function boot() {
  try {
    page.M = await Vivarion();
    const [ini, population, names] = await Promise.all([
      fetchText('VIVARION.ini'), fetchText('population.ini'), fetch('animals/index.json').then((r) => r.json())]);
    page.shipped = settingsOf(ini);
    page.keys = [];
    const keys = page.M.settingsKeys();
    for (let k = 0; k < keys.size(); ++k) page.keys.push(keys.get(k));
    keys.delete();
    page.counts = populationOf(population);
    $('count-animals').value = page.counts[0];
    $('count-plants').value = page.counts[1];
    page.animalNames = names;
    fillStartPanel();
    wireInput();
    exposeForTests();
    $('go').disabled = false;
    $('status').textContent = 'Ready';
    requestAnimationFrame(frame);
    if (applyLink()) await go();
    document.body.dataset.ready = '1';
  } catch (e) {
    showMessage('The page could not start: ' + (e.message || e));
  }
}

boot();
