// The program's standard streams in the web build: emscripten's own are a
// line-buffered terminal that loses a prompt without a line end and turns
// every failed write into EIO. These replace its fd_read and fd_write.
//
// Under node (the tests), descriptors 0, 1 and 2 are the process's own,
// read and written directly, so that a full disk or a closed pipe fails
// with its own errno as it does natively. In the page's Web Worker,
// standard input is awaited from the page (through Asyncify, as the C++
// reads synchronously) and standard output and error go to the page as
// they are written, both kept by worker.js's program_io
// (core/program_io.mjs), which says when.
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
    // In the page's worker: program_io (worker.js) says when input is
    // there, and the program sleeps until then.
    return Asyncify.handleSleep(function (wake_up) {
      program_io.read(function () {
        // The heap may have grown while the program slept: views are made now.
        HEAPU32[pnum >> 2] = program_io.take(web_console.buffers(iov, iovcnt));
        wake_up(0);
      });
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
      count = program_io.write(fd, views);
    }
    HEAPU32[pnum >> 2] = count;
    return 0;
  },
});
