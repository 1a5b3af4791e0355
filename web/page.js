// The page's side of its link with the program (src/platform/page_link.js and
// glut_page.js): it starts the program, shows its progress lines and how it
// ended, shows full screen when the program asks for it, and passes on keys
// and the picture's size, as a window manager and a terminal would. It also
// pauses the program, and keeps its own files for use without a network
// (service-worker.js).

// The page's parts.
const frame = document.getElementById('frame');
const statusLine = document.getElementById('status');
const notice = document.getElementById('notice');
const output = document.getElementById('output');
const controls = document.getElementById('controls');
const fullScreenButton = document.getElementById('fullscreen');
const endButton = document.getElementById('end');
const pauseButton = document.getElementById('pause');
const hint = document.getElementById('hint');
const controlsHome = controls.parentNode;

// The browser's full screen is of elements wherever it has one; an iPhone's
// has it only for videos, and there the page's own full-window mode stands in.
const elementFullScreen = 'requestFullscreen' in frame;
// The address's fragment when the page loads again to start the program afresh.
const RESTARTED = '#restarted';

// The picture. A canvas handed to a worker stays the worker's: a program
// started again gets a fresh one.
let canvas = document.getElementById('canvas');
// The drawing buffer follows the canvas's box in device pixels (fitCanvas).
const resizeObserver = new ResizeObserver(() => fitCanvas());

// The program that runs, or is starting, or has ended: how the page sends it
// messages, its worker where it has one, what it last said of itself, and
// whether the page has asked it since to leave full screen. Each start makes a
// new one, which is neither running nor full screen.
let program = null;

// Why the figure stands still, or null while it turns: 'asked' by the Pause
// button, or 'motion' where the device asks for reduced motion, which the page
// follows as it changes. A program started again is paused as this one was.
const reducedMotion = matchMedia('(prefers-reduced-motion: reduce)');
let pausedBy = history.state?.pausedBy ?? (reducedMotion.matches ? 'motion' : null);

// The link to the program.

// What the program says (src/platform/page_link.js and glut_page.js).
function fromProgram(message) {
  switch (message.type) {
    case 'print':
      output.append(message.text);
      break;
    // The runtime's own notices (the GL emulation's): not failures of the
    // page, so below the error level.
    case 'notice':
      console.warn(message.text);
      break;
    case 'running':
      // Without a WebGL context it runs on without a window: the page has
      // said why nothing is drawn.
      if (program.noWebGL) break;
      program.running = true;
      fullScreenButton.disabled = endButton.disabled = pauseButton.disabled = false;
      // A pause or play while it started.
      pause(pausedBy);
      // From here the page's layout decides the picture's size, as a window
      // manager does.
      fitCanvas();
      if (navigator.serviceWorker) keepFiles();
      break;
    case 'exit':
      ended(`sorvane ended with status ${message.status}.`);
      break;
    case 'abort':
      ended(`sorvane stopped: ${message.reason}`);
      break;
    // The program leaves full screen once for the size and once for the
    // place it restores; the second finds nothing left to leave.
    case 'fullScreen':
      program.fullScreen = message.on;
      program.leaveAsked = false;
      if (message.on) enterFullScreen();
      else leaveFullScreen();
      break;
    // The browser took the picture's WebGL context away (a reset of the
    // graphics processor, memory short, a tab long in the background). What
    // the program made in it is gone, so once the browser gives it back the
    // program starts again; until then the status line, out of full screen,
    // says so.
    case 'contextLost':
      ended('The browser took away the picture\u2019s WebGL context. sorvane starts again, with a new figure, when the browser gives it back.');
      leaveFullScreen();
      break;
    case 'contextRestored':
      restartProgram();
      break;
  }
}

function ended(text) {
  program.running = false;
  statusLine.textContent = text;
  fullScreenButton.disabled = endButton.disabled = pauseButton.disabled = true;
  // No browser's own gesture leaves the page's full-window mode, and the
  // buttons that would are off: the status line comes back into view.
  if (frame.classList.contains('full-window')) leaveFullScreen();
}

// The program makes its WebGL context and draws in a worker of its own, so
// that neither holds up the page: in software, making the context alone
// takes a second. Where the browser cannot draw WebGL in a worker, which
// the worker finds by trying, the page runs it here.
function startProgram() {
  program = { send: () => {}, worker: null, running: false, fullScreen: false, leaveAsked: false, noWebGL: false };
  if ('transferControlToOffscreen' in canvas) startInWorker();
  else startHere();
}

function startInWorker() {
  const worker = new Worker('sorvane.js');
  const offscreen = canvas.transferControlToOffscreen();
  worker.postMessage({ type: 'canvas', canvas: offscreen, paused: pausedBy !== null }, [offscreen]);
  worker.onmessage = ({ data }) => {
    if (data.type !== 'unsupported') {
      fromProgram(data);
      return;
    }
    stopWorker();
    // The lines it printed before it tried: the program prints them again.
    output.textContent = '';
    startHere();
  };
  program.worker = worker;
  program.send = (message) => worker.postMessage(message);
}

function stopWorker() {
  program.worker.onmessage = null;
  program.worker.terminate();
  program.worker = null;
  replaceCanvas();
}

function startHere() {
  window.Module = { page: { canvas, post: fromProgram, paused: pausedBy !== null, unsupported: noWebGL } };
  program.send = (message) => window.Module.page.receive(message);
  const script = document.createElement('script');
  script.src = 'sorvane.js';
  document.body.append(script);
}

// A worker is replaced by a new one; the program on this page, whose
// runtime is the page's own, is started again by loading the page again.
function restartProgram() {
  if (!program.worker) {
    history.replaceState({ pausedBy }, '', RESTARTED);
    location.reload();
    return;
  }
  stopWorker();
  output.textContent = '';
  startProgram();
  showRestarted();
}

function showRestarted() {
  notice.textContent = 'The browser gave back the picture\u2019s WebGL context, which it had taken away: sorvane started again.';
}

// Not even the page can make a WebGL context: the program cannot draw here.
function noWebGL() {
  program.noWebGL = true;
  statusLine.textContent = 'This page needs WebGL, which this browser does not offer here: sorvane cannot draw its figure.';
  controls.hidden = hint.hidden = true;
}

function press(key) {
  if (program.running) program.send({ type: 'key', key });
}

// Paused, the program's clock stands still and it draws no frames but those of
// a new size; at play it goes on from where it stopped.
function pause(by) {
  pausedBy = by;
  pauseButton.firstChild.textContent = by ? 'Play' : 'Pause';
  if (!program?.running) return;
  program.send({ type: 'pause', paused: by !== null });
  statusLine.textContent = {
    asked: 'Paused. Play turns the figure again; End or Escape ends the program.',
    motion: 'Paused, as this device asks for reduced motion. Play turns the figure; End or Escape ends the program.',
  }[by] ?? 'Running. Pause stops the figure, End or Escape ends the program; Full screen or F11 fills the screen.';
}

// The page's files, kept by a service worker for use without a network, where
// the page is served over HTTPS or from this computer.
function keepFiles() {
  navigator.serviceWorker.register('service-worker.js').catch((error) => {
    console.warn(`The page's files are not kept for use offline: ${error.message}`);
  });
}

// Full screen.

// A browser shows full screen only soon after a key press or a click, which
// the request follows here. It says why it refuses only through the returned
// promise; the program then leaves the full screen it never had, so that the
// next press asks again.
function enterFullScreen() {
  notice.textContent = '';
  if (!elementFullScreen) {
    frame.classList.add('full-window');
    showFullScreen(true);
    return;
  }
  frame.requestFullscreen().catch((error) => {
    notice.textContent = `The browser refused full screen: ${error.message}`;
    leaveWithBrowser();
  });
}

// An F11 makes the program leave the full screen that the browser does not
// show, once: a browser that tells of its entry only after the exit that
// followed tells of both with no full screen, and a second F11 would enter again.
function leaveWithBrowser() {
  if (!program.fullScreen || program.leaveAsked) return;
  program.leaveAsked = true;
  press('F11');
}

function leaveFullScreen() {
  if (frame.classList.contains('full-window')) {
    frame.classList.remove('full-window');
    showFullScreen(false);
  } else if (document.fullscreenElement) {
    document.exitFullscreen().catch((error) => {
      if (document.fullscreenElement) throw error;
    });
  }
}

// Full screen shows the frame; the buttons go with it, and come back with it.
function showFullScreen(on) {
  const focused = controls.contains(document.activeElement) ? document.activeElement : null;
  if (on) {
    frame.append(controls);
    fullScreenButton.firstChild.textContent = 'Leave full screen';
  } else {
    controlsHome.prepend(controls);
    fullScreenButton.firstChild.textContent = 'Full screen';
  }
  focused?.focus();
}

document.addEventListener('fullscreenchange', () => {
  const on = document.fullscreenElement === frame;
  showFullScreen(on);
  // The browser left full screen by itself (its own Escape, a swipe, a switch
  // of tab): the program leaves it too, so that it puts the picture back at
  // its former size and the next press enters again.
  if (!on) leaveWithBrowser();
});

// Keys.

// Keys go to the program, as the toolkit takes every key of its window; Tab,
// and the keys pressed on the page's controls, stay with the page (the
// program only acts on Escape and F11, which always reach it).
window.addEventListener('keydown', (event) => {
  const target = event.target instanceof Element ? event.target : null;
  const forPage = event.key === 'Tab' || target?.closest('button, summary, #output');
  if (forPage && event.key !== 'Escape' && event.key !== 'F11') return;
  // The browser's own full screen would be of the whole page.
  if (event.key === 'F11') event.preventDefault();
  // A held key acts once, as it does in the program's own window.
  if (!event.repeat) press(event.key);
});

// The buttons press the program's own keys, so that they do exactly what F11
// and Escape do.
fullScreenButton.addEventListener('click', () => press('F11'));
endButton.addEventListener('click', () => press('Escape'));
pauseButton.addEventListener('click', () => pause(pausedBy ? null : 'asked'));
reducedMotion.addEventListener('change', () => pause(reducedMotion.matches ? 'motion' : null));

// Sizing.

// The drawing buffer has the canvas's size in device pixels, so that a
// high-density screen draws the picture sharp; a new size reaches the program
// as a reshape, as a resized window does.
function fitCanvas() {
  if (!program?.running) return;
  const box = canvas.getBoundingClientRect();
  const width = Math.round(box.width * devicePixelRatio);
  const height = Math.round(box.height * devicePixelRatio);
  if (width > 0 && height > 0) program.send({ type: 'size', width, height });
}

// A change in device pixels alone (a zoom) is seen where the browser can
// observe them; WebKit cannot, and refuses the box, so there the CSS box's
// changes are observed.
function observeCanvas() {
  try {
    resizeObserver.observe(canvas, { box: 'device-pixel-content-box' });
  } catch {
    resizeObserver.observe(canvas);
  }
}

function replaceCanvas() {
  const fresh = canvas.cloneNode();
  resizeObserver.unobserve(canvas);
  canvas.replaceWith(fresh);
  canvas = fresh;
  observeCanvas();
}

// Start.

observeCanvas();
pause(pausedBy);
if (location.hash === RESTARTED) {
  history.replaceState(null, '', location.pathname + location.search);
  showRestarted();
}
startProgram();
