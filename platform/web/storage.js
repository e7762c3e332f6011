// Keeps "high.dat" in IndexedDB, in the record where every earlier page kept it (the
// database "/save", store "FILE_DATA", key "/save/high.dat", as Emscripten's IDBFS lays them
// out), so a table stored by any of them is read back. The game saves in memory as on every
// system, a temporary file renamed over the table; after each save the whole file is put in
// the record in one transaction of its own, so the stored table is the old one or the new
// one, never part of either. A save that fails leaves the next one to try afresh.
'use strict';

var sidescrollerStorage = (function () {
  var NAME = '/save', VERSION = 21, STORE = 'FILE_DATA', KEY = '/save/high.dat';
  var S_IFMT = 61440, S_IFREG = 32768, S_IFDIR = 16384;
  var fs = null, file = '';  // the game's file system, and where the table is in it
  var db = null;
  var usable = false;      // the stored table was read, so a save may replace it
  var replace = false;     // the stored record was no table file
  var writing = false, again = false;
  var problem = '';        // why the scores are not kept, while they are not
  var listeners = [];

  // One console line per change, and the page's line follows it.
  function setProblem(text, error, opening) {
    if (text === problem) return;
    problem = text;
    if (text) {
      console.log('Sidescroller: the browser keeps no scores (' + describe(error) + '); ' +
                  (opening ? 'they last for this visit' : 'the next save tries again'));
    } else {
      console.log('Sidescroller: the browser keeps the scores again');
    }
    listeners.forEach(function (listener) { listener(text); });
  }

  function describe(error) {
    if (!error) return 'unknown error';
    if (typeof error === 'string') return error;
    var message = String(error.message || error);
    return error.name && error.name !== 'Error' && error.name !== message
        ? error.name + ': ' + message : message;
  }

  // What the player reads beside the picture.
  function plainWords(error, opening) {
    var name = error && error.name;
    if (name === 'QuotaExceededError') return 'the browser has no room left for this site';
    if (opening || name === 'SecurityError') {
      return 'the browser does not let this site keep data';
    }
    return 'the browser could not store them';
  }

  function open(callback) {
    if (db) return callback(null, db);
    var request;
    try {
      request = indexedDB.open(NAME, VERSION);
    } catch (e) {
      return callback(e);
    }
    request.onupgradeneeded = function () {
      var store = request.result.objectStoreNames.contains(STORE)
          ? request.transaction.objectStore(STORE) : request.result.createObjectStore(STORE);
      if (!store.indexNames.contains('timestamp')) {
        store.createIndex('timestamp', 'timestamp', { unique: false });
      }
    };
    request.onsuccess = function () {
      var opened = request.result;
      // Closed by the browser or by a newer page: the next save opens it again.
      opened.onclose = function () { if (db === opened) db = null; };
      opened.onversionchange = function () {
        opened.close();
        if (db === opened) db = null;
      };
      db = opened;
      callback(null, db);
    };
    request.onerror = function (e) {
      e.preventDefault();
      callback(request.error || new Error('IndexedDB cannot be opened'));
    };
  }

  // The bytes a record holds, in whatever form, or null where it holds none.
  function bytesOf(value) {
    if (value instanceof ArrayBuffer) return new Uint8Array(value);
    if (ArrayBuffer.isView(value)) {
      return new Uint8Array(value.buffer, value.byteOffset, value.byteLength).slice();
    }
    if (typeof value === 'string') return new TextEncoder().encode(value);
    if (Array.isArray(value) && value.every(function (b) { return b === (b & 255); })) {
      return Uint8Array.from(value);
    }
    return null;
  }

  // Why a stored record is not a table file, or '' when it is one.
  function damage(record) {
    if (!record || typeof record !== 'object' || ArrayBuffer.isView(record) ||
        record instanceof ArrayBuffer) {
      return 'something else';
    }
    var type = (record.mode | 0) & S_IFMT;
    if (type === S_IFDIR) return 'a folder';
    if (type !== S_IFREG) return 'another type of file';
    if (!(record.contents instanceof Uint8Array)) return 'a file without its bytes';
    return '';
  }

  // Puts the stored table at path, before the game reads it, then calls done.
  function read(FS, path, done) {
    fs = FS;
    file = path;
    if (!window.indexedDB) {
      setProblem(plainWords(null, true), 'no IndexedDB', true);
      return done();
    }
    function refused(error) {
      setProblem(plainWords(error, true), error, true);
      done();
    }
    open(function (error, opened) {
      if (error) return refused(error);
      var request;
      try {
        request = opened.transaction([STORE], 'readonly').objectStore(STORE).get(KEY);
      } catch (e) {
        return refused(e);
      }
      request.onerror = function (e) {
        e.preventDefault();
        refused(request.error);
      };
      request.onsuccess = function () {
        var record = request.result;
        usable = true;
        if (record === undefined) return done();
        var why = damage(record);
        var bytes = why ? bytesOf(record && typeof record === 'object' && 'contents' in record
                                  ? record.contents : record) : record.contents;
        try {
          if (bytes) FS.writeFile(path, bytes);
        } catch (e) {
          bytes = null;
        }
        if (why) {
          replace = true;
          console.log('Sidescroller: the stored high.dat is ' + why + ', not a table file; ' +
                      (bytes ? 'the table read from its ' + bytes.length + ' bytes'
                             : 'the table the game has') + ' replaces it');
        }
        done();
      };
    });
  }

  // After a write (tried: whether one was tried, error: why it failed); a save that came
  // meanwhile is kept next.
  function finished(tried, error) {
    writing = false;
    if (!tried) {
      // Nothing to write: what the page says stands.
    } else if (error) {
      // A connection that failed once is not trusted again.
      if (db) db.close();
      db = null;
      setProblem(plainWords(error, false), error);
    } else {
      setProblem('');
    }
    if (again) {
      again = false;
      keep();
    }
  }

  function write() {
    var bytes, mode;
    try {
      bytes = fs.readFile(file);
      mode = fs.stat(file).mode;
    } catch (e) {
      // The game's save failed before the rename (and said so); the stored table stands.
      return finished(false);
    }
    open(function (error, opened) {
      if (error) return finished(true, error);
      try {
        var transaction = opened.transaction([STORE], 'readwrite');
        var store = transaction.objectStore(STORE);
        store.put({ timestamp: new Date(), mode: mode, contents: bytes }, KEY);
        // What a folder in its place held goes with it.
        if (replace) store.delete(IDBKeyRange.bound(KEY + '/', KEY + '0', false, true));
        transaction.oncomplete = function () {
          replace = false;
          finished(true);
        };
        transaction.onabort = function () {
          finished(true, transaction.error || new Error('the write was cancelled'));
        };
      } catch (e) {
        finished(true, e);
      }
    });
  }

  // After each save. The game's fsync comes on the temporary file, before the rename: the
  // table is read once the game has let the browser run.
  function keep() {
    if (!usable) return;
    if (writing) {
      again = true;
      return;
    }
    writing = true;
    setTimeout(write, 0);
  }

  return {
    read: read,
    keep: keep,
    // Whether the stored record waits to be replaced by the table the game read.
    wantsTable: function () { return replace; },
    onProblem: function (listener) { listeners.push(listener); }
  };
})();
