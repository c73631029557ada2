// WebKitGTK (Debian's webkit2gtk-driver: WebKitWebDriver and MiniBrowser)
// driven through WebDriver classic over HTTP, behind the few calls of
// puppeteer's Browser and Page that the browser test and the benchmark
// make, so that one test runs in all three engines. puppeteer-core drives
// no WebKit, and WebKitWebDriver speaks no WebDriver BiDi (it refuses the
// webSocketUrl capability); the HTTP calls are few enough to make here.
//
// What classic WebDriver cannot do, this cannot either: it hears no events
// from the page (requests, uncaught errors) and runs nothing before the
// page's own scripts. Those calls throw rather than pass unheard.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';

// WebDriver's codes for the keys the tests press by name.
const key_codes = {
  Enter: '\uE007', Tab: '\uE004', Home: '\uE011', Shift: '\uE008', Control: '\uE009',
};
const code_of = (key) => key_codes[key] ?? key;

// The element reference's key in a WebDriver answer.
const element_key = 'element-6066-11e4-a52e-4f735466cecf';

function free_port() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

const read_or = (file, otherwise) => {
  try {
    return fs.readFileSync(file, 'utf8').trim();
  } catch {
    return otherwise;
  }
};
const children_of = (pid) => read_or(`/proc/${pid}/task/${pid}/children`, '').split(' ').filter(Boolean).map(Number);
const command_of = (pid) => read_or(`/proc/${pid}/comm`, '');

export function minibrowser_path() {
  for (const arch of fs.readdirSync('/usr/lib')) {
    for (const version of ['webkit2gtk-4.1', 'webkit2gtk-4.0']) {
      const candidate = `/usr/lib/${arch}/${version}/MiniBrowser`;
      if (fs.existsSync(candidate)) {
        return candidate;
      }
    }
  }
  throw new Error('no MiniBrowser under /usr/lib/*/webkit2gtk-4.*: is webkit2gtk-driver installed?');
}

// A function, or a function's source, and its arguments, run in the page as
// the body of an asynchronous script: whatever it returns, or the promise
// it returns settles to, comes back.
function async_script(source) {
  return `const done = arguments[arguments.length - 1];
const args = Array.prototype.slice.call(arguments, 0, -1);
Promise.resolve().then(() => (${source}).apply(null, args)).then(
  (value) => done({ value: value === undefined ? null : value }),
  (error) => done({ error: String(error) + (error && error.stack ? ' at ' + error.stack : '') }));`;
}

// Starts WebKitWebDriver (under xvfb-run where there is no display: the
// browser needs one even when nothing watches it) and opens a session.
// `environment` reaches MiniBrowser: GTK_THEME=Adwaita:dark gives it the
// dark scheme, which WebDriver cannot emulate.
export async function launch_webkit({ environment = {}, timeout = 60000 } = {}) {
  const port = await free_port();
  const command = ['WebKitWebDriver', `--port=${port}`];
  const argv = process.env.DISPLAY ? command : ['xvfb-run', '-a', ...command];
  const driver = spawn(argv[0], argv.slice(1), {
    detached: true, stdio: ['ignore', 'ignore', 'inherit'], env: { ...process.env, ...environment },
  });
  // A browser left open must not keep node from exiting, nor outlive it.
  driver.unref();
  const driver_exit = new Promise((resolve) => driver.on('exit', resolve));
  const base = `http://127.0.0.1:${port}`;
  const kill = (signal = 'SIGKILL') => {
    try {
      process.kill(-driver.pid, signal);
    } catch {
      // Already gone.
    }
  };

  // One command at a time: the session has one current window, and every
  // page's command first makes its window the current one.
  let queue = Promise.resolve();
  const raw = async (method, path, body) => {
    const response = await fetch(`${base}${path}`, {
      method,
      headers: { 'Content-Type': 'application/json; charset=utf-8' },
      body: body === undefined ? undefined : JSON.stringify(body),
      signal: AbortSignal.timeout(timeout * 5),
    });
    const answer = await response.json();
    if (!response.ok) {
      const error = new Error(`WebDriver ${method} ${path}: ${answer.value?.error}: ${answer.value?.message}`);
      error.name = 'WebDriverError';
      throw error;
    }
    return answer.value;
  };
  const serial = (work) => {
    const result = queue.then(work);
    queue = result.catch(() => {});
    return result;
  };

  process.on('exit', () => kill());

  for (let start = Date.now(); ; await new Promise((resolve) => setTimeout(resolve, 50))) {
    const status = await raw('GET', '/status').catch(() => null);
    if (status?.ready) {
      break;
    }
    if (Date.now() - start > 20000 || driver.exitCode !== null) {
      kill();
      throw new Error('WebKitWebDriver did not start');
    }
  }
  const created = await raw('POST', '/session', {
    capabilities: {
      alwaysMatch: {
        'webkitgtk:browserOptions': { binary: minibrowser_path(), args: ['--automation'] },
        timeouts: { script: timeout * 5, pageLoad: timeout, implicit: 0 },
      },
    },
  });
  const session = `/session/${created.sessionId}`;
  const first_window = await raw('GET', `${session}/window`);
  let current = first_window;

  const in_window = (handle, work) => serial(async () => {
    if (current !== handle) {
      await raw('POST', `${session}/window`, { handle });
      current = handle;
    }
    return work();
  });

  const make_page = (handle) => {
    const call = (method, path, body) => in_window(handle, () => raw(method, `${session}${path}`, body));
    const run = async (source, args) => {
      const result = await call('POST', '/execute/async', { script: async_script(source), args });
      if (result?.error !== undefined) {
        throw new Error(`in the page: ${result.error}`);
      }
      return result?.value;
    };
    const element = async (selector) => {
      const found = await call('POST', '/element', { using: 'css selector', value: selector });
      return found[element_key];
    };
    // Keys go out as one action per chord: a key held down waits for the
    // keys pressed with it, and all go when none is held.
    let pending = [];
    const held = new Set();
    const add_keys = async (...actions) => {
      pending.push(...actions);
      for (const action of actions) {
        if (action.type === 'keyDown') {
          held.add(action.value);
        } else {
          held.delete(action.value);
        }
      }
      if (held.size === 0) {
        const actions_now = pending;
        pending = [];
        await call('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard', actions: actions_now }] });
      }
    };
    const press = (key) => add_keys({ type: 'keyDown', value: code_of(key) }, { type: 'keyUp', value: code_of(key) });
    const page = {
      goto: (url) => call('POST', '/url', { url }),
      goBack: () => call('POST', '/back', {}),
      goForward: () => call('POST', '/forward', {}),
      evaluate: (source, ...args) => (typeof source === 'function'
        ? run(source.toString(), args)
        : call('POST', '/execute/sync', { script: `${source}\n;return null;`, args: [] })),
      // Polls in the page, every `polling` ms, until holds(...args) is true;
      // its value comes back as puppeteer's handle does.
      async waitForFunction(holds, { timeout: wait = 30000, polling = 10 } = {}, ...args) {
        const value = await run(`(wait, polling, ...args) => new Promise((resolve, reject) => {
          const holds = (${holds.toString()});
          const start = Date.now();
          const check = () => {
            let value;
            try {
              value = holds(...args);
            } catch (error) {
              reject(error);
              return;
            }
            if (value) {
              resolve(value);
            } else if (Date.now() - start > wait) {
              reject(new Error('waitForFunction timed out after ' + wait + ' ms'));
            } else {
              setTimeout(check, polling);
            }
          };
          check();
        })`, [wait, polling, ...args]);
        return { jsonValue: async () => value };
      },
      $eval: (selector, fn, ...args) => run(`(selector, ...args) => {
        const found = document.querySelector(selector);
        if (found === null) {
          throw new Error('no element matches ' + selector);
        }
        return (${fn.toString()})(found, ...args);
      }`, [selector, ...args]),
      $$eval: (selector, fn, ...args) => run(`(selector, ...args) =>
        (${fn.toString()})([...document.querySelectorAll(selector)], ...args)`, [selector, ...args]),
      async type(selector, text) {
        const id = await element(selector);
        await call('POST', `/element/${id}/value`, { text });
      },
      // WebDriver clicks the middle of the element as it stands when the
      // command starts: the element is brought to the middle of the view
      // first, and a frame let pass, so that a page still laying out does
      // not move it from under the click.
      async click(selector) {
        const id = await element(selector);
        await run(`(selector) => new Promise((resolve) => {
          document.querySelector(selector).scrollIntoView({ block: 'center', inline: 'center' });
          requestAnimationFrame(() => requestAnimationFrame(resolve));
        })`, [selector]);
        await call('POST', `/element/${id}/click`, {});
      },
      focus: (selector) => run('(selector) => document.querySelector(selector).focus()', [selector]),
      keyboard: {
        type: async (text) => {
          for (const key of text) {
            await press(key);
          }
        },
        press,
        down: (key) => add_keys({ type: 'keyDown', value: code_of(key) }),
        up: (key) => add_keys({ type: 'keyUp', value: code_of(key) }),
      },
      bringToFront: () => in_window(handle, async () => {}),
      // The window sized so that the page's view is `width` by `height`:
      // the window's own edges and bars are measured, not guessed.
      async setViewport({ width, height }) {
        for (let attempt = 0; attempt < 3; attempt++) {
          const [inner_width, inner_height] = await run('() => [innerWidth, innerHeight]', []);
          if (inner_width === width && inner_height === height) {
            return;
          }
          const rect = await call('GET', '/window/rect');
          await call('POST', '/window/rect', { width: rect.width + width - inner_width, height: rect.height + height - inner_height });
        }
        throw new Error(`the page's view could not be made ${width} by ${height}`);
      },
      close: () => call('DELETE', '/window'),
      on() {
        throw new Error('WebDriver classic hears no events from the page');
      },
      emulateMediaFeatures() {
        throw new Error('WebDriver classic emulates no media features: launch with GTK_THEME');
      },
    };
    return page;
  };

  return {
    events: false,
    newPage: async () => {
      // Asked of the first window, which stays open: a new window needs a
      // current one, and the last window closed would end the session.
      const { handle } = await in_window(first_window, () => raw('POST', `${session}/window/new`, { type: 'window' }));
      return make_page(handle);
    },
    version: async () => `WebKitGTK ${created.capabilities.browserVersion}`,
    process: () => ({ kill }),
    close: async () => {
      await serial(() => raw('DELETE', session)).catch(() => {});
      // The driver alone is told to end: xvfb-run, which dies of a signal
      // without cleaning up, then takes its display down and its files away.
      for (const pid of [driver.pid, ...children_of(driver.pid)]) {
        if (command_of(pid) === 'WebKitWebDriver') {
          process.kill(pid, 'SIGTERM');
        }
      }
      await Promise.race([driver_exit, new Promise((resolve) => setTimeout(resolve, 5000))]);
      kill();
    },
  };
}
