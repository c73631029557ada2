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
    // What the page has sent and the program has not read yet, in the
    // order it was typed: bytes, and null where the page ended the input
    // (Ctrl-D), which one read reports as the end and then forgets.
    pending: [],
    // Set while the program waits for input: wakes it.
    waiter: null,
    // While true, input is kept but not handed over (see warm_up.js).
    held: false,
    // Moves pending input into the read's buffers, as a terminal's read
    // returns it: at most one line, or the text before a Ctrl-D, so that no
    // read takes more than was typed before the end of input. The number of
    // bytes; 0, the end of input, where the end is next.
    take: function (views) {
      var pending = web_console.pending;
      var chunk = pending[0];
      if (chunk === null) {
        pending.shift();
        return 0;
      }
      var line_end = chunk.indexOf(10);
      var wanted = line_end >= 0 ? line_end + 1 : chunk.length;
      var count = 0;
      for (var v = 0; v < views.length && count < wanted; v++) {
        var n = Math.min(views[v].length, wanted - count);
        views[v].set(chunk.subarray(count, count + n));
        count += n;
      }
      if (count === chunk.length) {
        pending.shift();
      } else {
        pending[0] = chunk.subarray(count);
      }
      return count;
    },
    // From the page: bytes typed, or (null) the end of input.
    give: function (bytes) {
      if (bytes === null || bytes.length > 0) {
        web_console.pending.push(bytes);
      }
      web_console.wake();
    },
    // Whether a read would get something now.
    ready: function () {
      return !web_console.held && web_console.pending.length > 0;
    },
    // Hands what is pending to a program that waits for it.
    wake: function () {
      var waiter = web_console.waiter;
      if (waiter !== null && web_console.ready()) {
        web_console.waiter = null;
        waiter();
      }
    },
    // What the program has written and the page has not been sent yet, as
    // [descriptor, bytes] in the order written. It goes to the page in one
    // message when the program waits for input and when it ends, and at a
    // read that finds input waiting once 16 ms have passed since the last:
    // a paste of thousands of answers brings a message a frame or so, not
    // one a write, each of which costs the page's thread its own task. (So
    // what was written in the 16 ms before a long roll shows when it ends.)
    // The writes in a row to one descriptor go as one buffer, handed over
    // rather than copied.
    written: [],
    // When the output was last sent or the event loop last given a turn.
    turn_at: 0,
    send_written: function () {
      var written = web_console.written;
      if (written.length === 0) {
        return;
      }
      var writes = [];
      for (var start = 0, end; start < written.length; start = end) {
        var fd = written[start][0];
        var size = 0;
        for (end = start; end < written.length && written[end][0] === fd; end++) {
          size += written[end][1].length;
        }
        var bytes = new Uint8Array(size);
        for (var w = start, at = 0; w < end; at += written[w][1].length, w++) {
          bytes.set(written[w][1], at);
        }
        writes.push([fd, bytes]);
      }
      web_console.written = [];
      web_console.turn_at = performance.now();
      web_console.post(page_protocol.to_page.output(writes));
    },
    // Posts a message of core/protocol.mjs to the page.
    post: function (message) {
      postMessage(message, page_protocol.transfer_list(message));
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
    // Every 16 ms of reading input that waits, the program also gives the
    // worker's event loop a turn, where a Stop ends it at once: Chromium
    // otherwise lets a worker that never returns to it run on for 2 s.
    // (A read of a long line without output gives one a turn every 16 ms
    // too, not one a read: a turn costs a worker's timer up to 4 ms.)
    var due = performance.now() - web_console.turn_at >= 16;
    if (!web_console.ready() || due) {
      web_console.send_written();
    }
    if (due) {
      web_console.turn_at = performance.now();
    }
    return Asyncify.handleSleep(function (wake_up) {
      function deliver() {
        // The heap may have grown while the program slept: views are made now.
        HEAPU32[pnum >> 2] = web_console.take(web_console.buffers(iov, iovcnt));
        wake_up(0);
      }
      if (web_console.ready() && due) {
        setTimeout(deliver, 0);
      } else if (web_console.ready()) {
        deliver();
      } else {
        // The page learns when the program waits and when it goes on, so
        // that it can say whether it is busy.
        web_console.waiter = function () {
          web_console.post(page_protocol.to_page.busy());
          deliver();
        };
        web_console.post(page_protocol.to_page.waiting());
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
          web_console.written.push([fd, views[w].slice()]);
          count += views[w].length;
        }
      }
    }
    HEAPU32[pnum >> 2] = count;
    return 0;
  },
});
