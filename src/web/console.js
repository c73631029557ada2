// The program's standard streams in the web build: emscripten's own are a
// line-buffered terminal that loses a prompt without a line end and turns
// every failed write into EIO. These replace its fd_read and fd_write.
//
// Under node (the tests), descriptors 0, 1 and 2 are the process's own,
// read and written directly, so that a full disk or a closed pipe fails
// with its own errno as it does natively. In the page's Web Worker,
// standard input is awaited from the page (through Asyncify, as the C++
// reads synchronously) and standard output and error go to the page as
// they are written.
mergeInto(LibraryManager.library, {
  $web_console__deps: ['$ERRNO_CODES'],
  $web_console: {
    // The errno of a node error, by its code; anything unknown is EIO.
    errno_of: function (e) {
      return ERRNO_CODES[e && e.code] || ERRNO_CODES.EIO;
    },
    // The buffers of an iovec array, as views on the heap.
    buffers: function (iov, iovcnt) {
      var views = [];
      for (var i = 0; i < iovcnt; i++) {
        var ptr = HEAPU32[(iov + i * 8) >> 2];
        var len = HEAPU32[(iov + i * 8 + 4) >> 2];
        views.push(HEAPU8.subarray(ptr, ptr + len));
      }
      return views;
    },
    // What the page has sent and the program has not read yet, and whether
    // the page has ended the input (Ctrl-D), which one read then reports.
    pending: [],
    ended: false,
    // Set while the program waits for input: wakes it.
    waiter: null,
    // While true, input is kept but not handed over (see worker.js).
    held: false,
    // Moves pending input into the read's buffers; the number of bytes.
    take: function (views) {
      var pending = web_console.pending;
      var count = 0;
      for (var v = 0; v < views.length && pending.length > 0; v++) {
        var view = views[v];
        var filled = 0;
        while (filled < view.length && pending.length > 0) {
          var chunk = pending[0];
          var n = Math.min(chunk.length, view.length - filled);
          view.set(chunk.subarray(0, n), filled);
          filled += n;
          if (n === chunk.length) {
            pending.shift();
          } else {
            pending[0] = chunk.subarray(n);
          }
        }
        count += filled;
        if (filled < view.length) {
          break;
        }
      }
      if (count === 0) {
        web_console.ended = false;
      }
      return count;
    },
    // From the page: bytes typed, or the end of input.
    give: function (bytes, end) {
      if (bytes.length > 0) {
        web_console.pending.push(bytes);
      }
      if (end) {
        web_console.ended = true;
      }
      web_console.wake();
    },
    // Whether a read would get something now.
    ready: function () {
      return !web_console.held && (web_console.pending.length > 0 || web_console.ended);
    },
    // Hands what is pending to a program that waits for it.
    wake: function () {
      var waiter = web_console.waiter;
      if (waiter !== null && web_console.ready()) {
        web_console.waiter = null;
        waiter();
      }
    },
  },

  fd_read__deps: ['$web_console'],
  fd_read: function (fd, iov, iovcnt, pnum) {
    if (fd !== 0) {
      return ERRNO_CODES.EBADF;
    }
    if (ENVIRONMENT_IS_NODE) {
      var views = web_console.buffers(iov, iovcnt);
      var count = 0;
      try {
        for (var v = 0; v < views.length; v++) {
          var n = require('fs').readSync(0, views[v], 0, views[v].length, null);
          count += n;
          if (n < views[v].length) {
            break;
          }
        }
      } catch (e) {
        if (count === 0) {
          return web_console.errno_of(e);
        }
      }
      HEAPU32[pnum >> 2] = count;
      return 0;
    }
    return Asyncify.handleSleep(function (wake_up) {
      function deliver() {
        // The heap may have grown while the program slept: views are made now.
        HEAPU32[pnum >> 2] = web_console.take(web_console.buffers(iov, iovcnt));
        wake_up(0);
      }
      if (web_console.ready()) {
        deliver();
      } else {
        // The page learns when the program waits and when it goes on, so
        // that it can say whether it is busy.
        web_console.waiter = function () {
          postMessage({ kind: 'busy' });
          deliver();
        };
        postMessage({ kind: 'waiting' });
      }
    });
  },

  fd_write__deps: ['$web_console'],
  fd_write: function (fd, iov, iovcnt, pnum) {
    if (fd !== 1 && fd !== 2) {
      return ERRNO_CODES.EBADF;
    }
    var views = web_console.buffers(iov, iovcnt);
    var count = 0;
    if (ENVIRONMENT_IS_NODE) {
      try {
        for (var v = 0; v < views.length; v++) {
          var done = 0;
          while (done < views[v].length) {
            done += require('fs').writeSync(fd, views[v], done, views[v].length - done);
          }
          count += done;
        }
      } catch (e) {
        return web_console.errno_of(e);
      }
    } else {
      for (var w = 0; w < views.length; w++) {
        if (views[w].length > 0) {
          postMessage({ kind: 'output', fd: fd, bytes: views[w].slice() });
          count += views[w].length;
        }
      }
    }
    HEAPU32[pnum >> 2] = count;
    return 0;
  },
});
