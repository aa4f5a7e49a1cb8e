// The page: each variant of the panel is a WebAssembly module holding a whole simulated handheld
// (the panel, its host and the platform emulation). The canvas shows its screen, the pointer is its
// stylus, and its clock follows real time. files.js holds the modules, the default skin and the
// application's glyphs as base64, so that the page opens from disk.
'use strict';

const bytesOf = (base64) => Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));

// The WASI calls the module imports: it writes nothing but messages and opens no file.
function wasiFor(instance) {
  const memory = () => new DataView(instance.exports.memory.buffer);
  const ENOSYS = 52, EBADF = 8;
  return new Proxy({
    fd_write(fd, iovs, count, written) {
      let text = '', total = 0;
      for (let i = 0; i < count; i++) {
        const at = memory().getUint32(iovs + 8 * i, true), length = memory().getUint32(iovs + 8 * i + 4, true);
        text += new TextDecoder().decode(new Uint8Array(instance.exports.memory.buffer, at, length));
        total += length;
      }
      console.log(text);
      memory().setUint32(written, total, true);
      return 0;
    },
    fd_prestat_get: () => EBADF,
    proc_exit(code) { throw new Error('the handheld stopped (' + code + ')'); },
  }, { get: (calls, name) => calls[name] || (() => ENOSYS) });
}

class Handheld {
  static async load(variant) {
    const holder = {};
    const { instance } = await WebAssembly.instantiate(bytesOf(KWENO_FILES[variant]),
      { wasi_snapshot_preview1: wasiFor(holder) });
    holder.exports = instance.exports;
    instance.exports._initialize();
    return new Handheld(variant, instance.exports);
  }

  constructor(variant, calls) {
    this.variant = variant;
    this.calls = calls;
    this.put(bytesOf(KWENO_FILES.glyphs));
    calls.setGlyphs();
  }

  // Copies bytes into the module for the next call that reads them.
  put(bytes) {
    const at = this.calls.buffer(bytes.length);
    new Uint8Array(this.calls.memory.buffer, at, bytes.length).set(bytes);
  }

  string(at) {
    const memory = new Uint8Array(this.calls.memory.buffer);
    let end = at;
    while (memory[end]) end++;
    return new TextDecoder().decode(memory.subarray(at, end));
  }

  // A fresh handheld with the skin, in the orientation, holding the text; throws what went wrong.
  start(skin, landscape, text) {
    this.put(skin);
    this.calls.setSkin();
    this.put(new TextEncoder().encode(text));
    if (!this.calls.start(landscape ? 1 : 0)) throw new Error(this.string(this.calls.message()));
    this.clock = performance.now();
  }

  // The device's clock catches up with real time, its timers firing on the way.
  catchUp(now = performance.now()) {
    const ms = Math.floor(now - this.clock);
    if (ms > 0) {
      this.calls.advance(ms);
      this.clock += ms;
    }
  }

  check(skin) {
    this.put(skin);
    return this.string(this.calls.checkSkin()).split('\n').filter((line) => line);
  }

  text() { return this.string(this.calls.text()); }
  landscape() { return this.calls.width() > this.calls.height(); }

  draw(canvas) {
    const width = this.calls.width(), height = this.calls.height();
    const at = this.calls.frame(); // first: composing may grow the memory, which replaces its buffer
    const pixels = new Uint8ClampedArray(this.calls.memory.buffer, at, width * height * 4);
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
    }
    canvas.getContext('2d').putImageData(new ImageData(pixels, width, height), 0, 0);
  }
}

const $ = (id) => document.getElementById(id);
const canvas = $('screen');
const handhelds = {};
const defaultSkin = bytesOf(KWENO_FILES.skin);
let skin = defaultSkin, skinName = 'the default skin';
let handheld = null;

function showStatus(problem) {
  $('status').textContent = problem || `${handheld.variant} variant, ${handheld.landscape() ? 'landscape' : 'portrait'}, ${skinName}`;
  $('variant').textContent = handheld.variant === 'day' ? 'Night' : 'Day';
  document.body.dataset.state = problem ? 'failed' : 'ready';
}

function showText() {
  const text = handheld.text();
  if ($('text').value !== text) $('text').value = text;
}

// Starts the variant's handheld afresh, keeping the orientation and the text.
async function switchTo(variant, keepSkin = true) {
  const landscape = handheld ? handheld.landscape() : false;
  const text = handheld ? handheld.text() : '';
  handhelds[variant] = handhelds[variant] || await Handheld.load(variant);
  handheld = handhelds[variant];
  try {
    handheld.start(keepSkin ? skin : defaultSkin, landscape, text);
    showStatus();
  } catch (error) {
    showStatus(`${skinName}: ${error.message}; back to the default skin`);
    skin = defaultSkin;
    skinName = 'the default skin';
    handheld.start(skin, landscape, text);
  }
  $('defaultSkin').disabled = skin === defaultSkin;
}

// A screen point of the handheld under the pointer; the canvas keeps its shape inside its box.
function screenPoint(event) {
  const box = canvas.getBoundingClientRect(), border = canvas.clientLeft;
  const width = box.width - 2 * border, height = box.height - 2 * border;
  const scale = Math.min(width / canvas.width, height / canvas.height);
  const left = box.left + border + (width - canvas.width * scale) / 2;
  const top = box.top + border + (height - canvas.height * scale) / 2;
  return [Math.floor((event.clientX - left) / scale), Math.floor((event.clientY - top) / scale)];
}

let pen = null; // the pointer that holds the stylus down
canvas.addEventListener('pointerdown', (event) => {
  if (pen !== null || event.button !== 0) return;
  pen = event.pointerId;
  canvas.setPointerCapture(pen);
  handheld.catchUp();
  handheld.calls.penDown(...screenPoint(event));
});
canvas.addEventListener('pointermove', (event) => {
  if (event.pointerId !== pen) return;
  handheld.catchUp();
  handheld.calls.penMove(...screenPoint(event));
});
const lift = (event) => {
  if (event.pointerId !== pen) return;
  pen = null;
  handheld.catchUp();
  handheld.calls.penUp(...screenPoint(event));
};
canvas.addEventListener('pointerup', lift);
canvas.addEventListener('pointercancel', lift);

$('rotate').addEventListener('click', () => {
  if (pen !== null) return; // a person turns the device with the pen up
  handheld.catchUp();
  handheld.calls.rotate();
  showStatus();
});
$('variant').addEventListener('click', () => switchTo(handheld.variant === 'day' ? 'night' : 'day'));
$('skin').addEventListener('change', async () => {
  const file = $('skin').files[0];
  if (!file) return;
  skin = new Uint8Array(await file.arrayBuffer());
  skinName = file.name;
  const faults = handheld.check(skin);
  $('faults').replaceChildren(...faults.map((fault) => Object.assign(document.createElement('li'), { textContent: fault })));
  $('skin').value = '';
  await switchTo(handheld.variant);
});
$('defaultSkin').addEventListener('click', () => {
  skin = defaultSkin;
  skinName = 'the default skin';
  $('faults').replaceChildren();
  switchTo(handheld.variant);
});
$('copy').addEventListener('click', async () => {
  $('text').select();
  try {
    await navigator.clipboard.writeText($('text').value);
  } catch {
    document.execCommand('copy'); // where a page from disk may not use the clipboard
  }
});
$('clear').addEventListener('click', () => {
  handheld.start(skin, handheld.landscape(), '');
  showText();
});

function animate(now) {
  handheld.catchUp(now);
  handheld.draw(canvas);
  showText();
  requestAnimationFrame(animate);
}

switchTo('day').then(() => requestAnimationFrame(animate), (error) => showStatus(error.message));
