// The page around the game: loads the game's files with progress, lays them out in the
// game's working folder, keeps "high.dat" in IndexedDB (storage.js), scales the picture,
// plays the sound through WebAudio, and shows what went wrong or that the game has ended.
// Every path is relative, so the site works from any folder of any host.
'use strict';

var sidescrollerPage = (function () {
  var canvas = document.getElementById('screen');
  // The game's picture, as the page's canvas is first made (index.html): the one place the
  // page takes its size from.
  var WIDTH = canvas.width, HEIGHT = canvas.height;
  // Desynchronized: the canvas is handed to the compositor without the page's full paint
  // each frame; measured, it cuts the renderer's share of a core by about a third.
  var context = canvas.getContext('2d', { alpha: false, desynchronized: true });
  // Scaled, the canvas holds the picture at a whole multiple, each pixel a square of the same
  // size, copied from the game's picture kept at its own size here.
  var source = document.createElement('canvas');
  source.width = WIDTH;
  source.height = HEIGHT;
  var sourceContext = source.getContext('2d', { alpha: false });
  var multiple = 1;
  var watch = sidescrollerWatch.active();
  var game = document.getElementById('game');
  var bar = document.getElementById('bar');
  var storageLine = document.getElementById('storage');
  var notice = document.getElementById('notice');
  var message = document.getElementById('message');
  var detail = document.getElementById('detail');
  var fileNotes = {};   // what the server did wrong with each file, by name
  var image = null;     // ImageData over the game's pixel memory
  var audio = null;
  var sounds = {};      // decoded AudioBuffers by path
  var effect = null;    // the effect playing
  var music = null, musicWanted = null;
  var ended = false;

  var stopped = false;   // a message says why the game cannot go on
  function show(text, more) {
    stopped = true;
    message.textContent = text;
    detail.textContent = more || '';
    notice.hidden = false;
  }

  // The picture as large as the window allows at 4:3, and sharp at any scale: the canvas
  // holds it at the whole multiple at or above the size shown, nearest-neighbour, and the
  // browser's one smooth step takes that to the size shown, as emulators scale; at a whole
  // multiple the two are one and the pixels stay square. The page's controls never lie on
  // it, so that a click on the picture is always a shot: they stand in the corner beside or
  // below it, and where neither has room the picture leaves them some.
  function fit() {
    var w = window.innerWidth, h = window.innerHeight;
    var touch = document.documentElement.classList.contains('touch');
    // A whole multiple that all but fills the room is kept: its pixels are all alike.
    function scaleIn(width, height) {
      var s = Math.max(0, Math.min(width / WIDTH, height / HEIGHT)), whole = Math.floor(s);
      return !touch && whole >= 1 && whole >= 0.97 * s ? whole : s;
    }
    var scale, right = 0, below = 0;
    if (touch) {
      // A touch screen fills at any scale, with room beside the picture for the thumbs'
      // controls (touch.js), and below it for the storage line while that shows.
      below = bar.hidden || storageLine.hidden ? 0 : storageLine.offsetHeight;
      scale = scaleIn(w - 96, h - below);
    } else {
      scale = scaleIn(w, h);
      // The bar stands 8 pixels in from the bottom right corner.
      var across = bar.hidden ? 0 : bar.offsetWidth + 16;
      var down = bar.hidden ? 0 : bar.offsetHeight + 16;
      if (across && (w - WIDTH * scale) / 2 < across && (h - HEIGHT * scale) / 2 < down) {
        var beside = scaleIn(w - across, h), under = scaleIn(w, h - down);
        if (beside > under) {
          scale = beside;
          right = across;
        } else {
          scale = under;
          below = down;
        }
      }
    }
    game.style.right = right + 'px';
    game.style.bottom = below + 'px';
    var shown = Math.floor(WIDTH * scale);
    canvas.style.width = shown + 'px';
    canvas.style.height = Math.floor(HEIGHT * scale) + 'px';
    // A touch screen scales the picture itself, sharp, by its own rules (index.html).
    var devicePixels = shown * (window.devicePixelRatio || 1);
    setMultiple(touch ? 1 : Math.max(1, Math.ceil(devicePixels / WIDTH - 0.001)));
  }

  function setMultiple(k) {
    if (k === multiple) return;
    // At 1 the game's picture goes straight to the canvas, so the kept one is behind.
    if (multiple === 1) sourceContext.drawImage(canvas, 0, 0);
    multiple = k;
    canvas.width = WIDTH * k;
    canvas.height = HEIGHT * k;
    context.imageSmoothingEnabled = false;
    context.drawImage(source, 0, 0, WIDTH * k, HEIGHT * k);
  }
  window.addEventListener('resize', fit);
  fit();
  // The touch layer places its controls on the same event.
  function relayout() {
    window.dispatchEvent(new Event('resize'));
  }

  // While the browser keeps no scores, one line beside the picture says so.
  sidescrollerStorage.onProblem(function (problem) {
    storageLine.textContent = problem ? 'The scores are not being kept: ' + problem + '.' : '';
    storageLine.hidden = !problem;
    relayout();
  });

  function toggleFullScreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(function () {});
    }
  }
  document.getElementById('full').addEventListener('click', function (e) {
    toggleFullScreen();
    e.currentTarget.blur();
  });
  function saveRecording(e) {
    e.currentTarget.blur();
    var blob = new Blob([recording()], { type: 'text/plain' });
    var link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = 'play.txt';
    link.click();
    setTimeout(function () { URL.revokeObjectURL(link.href); }, 1000);
  }
  document.getElementById('record').addEventListener('click', saveRecording);
  document.getElementById('record-end').addEventListener('click', saveRecording);
  document.getElementById('again').addEventListener('click', function () { location.reload(); });
  // The right button reloads the magazine: no menu.
  document.addEventListener('contextmenu', function (e) { e.preventDefault(); });

  // Browsers let a page make sound only after a click or a key.
  function startSound() {
    if (audio && audio.state === 'suspended') audio.resume();
  }
  document.addEventListener('pointerdown', startSound, true);
  document.addEventListener('keydown', startSound, true);
  document.addEventListener('touchend', startSound, true);
  // A page in the background is silent; its sound comes back with it.
  var silencedHidden = false;
  document.addEventListener('visibilitychange', function () {
    if (!audio) return;
    if (document.hidden && audio.state === 'running') {
      silencedHidden = true;
      audio.suspend();
    } else if (!document.hidden && silencedHidden) {
      silencedHidden = false;
      audio.resume();
    }
  });

  function decode(path, bytes) {
    if (!audio) return;
    var copy = bytes.slice().buffer;
    audio.decodeAudioData(copy).then(function (buffer) {
      sounds[path] = buffer;
      if (musicWanted === path && !music) playMusic(path);
    }, function () {
      console.log('Sidescroller: cannot decode ' + path + '; it stays silent');
    });
  }

  function playBuffer(buffer) {
    var source = audio.createBufferSource();
    source.buffer = buffer;
    source.connect(audio.destination);
    source.start();
    return source;
  }

  // A short falling beep where the system would play its default sound.
  function defaultTone() {
    if (!sounds['']) {
      var rate = audio.sampleRate, n = Math.floor(rate * 0.15);
      var buffer = audio.createBuffer(1, n, rate), data = buffer.getChannelData(0);
      for (var i = 0; i < n; i++) {
        var t = i / rate;
        data[i] = 0.27 * (1 - i / n) * Math.sin(2 * Math.PI * (880 - 1000 * t) * t);
      }
      sounds[''] = buffer;
    }
    return sounds[''];
  }

  function playEffect(path) {
    if (!audio || audio.state !== 'running') return;
    stopEffect();
    var buffer = path ? sounds[path] : defaultTone();
    if (buffer) effect = playBuffer(buffer);
  }

  function stopEffect() {
    if (effect) { try { effect.stop(); } catch (e) {} effect = null; }
  }

  // The music plays once, from its start, as soon as the page may make sound.
  function playMusic(midiPath) {
    var path = midiPath.replace(/\.mid$/i, '.mp3');
    musicWanted = path;
    if (!audio || !sounds[path] || music) return;
    if (audio.state !== 'running') {
      audio.addEventListener('statechange', function begin() {
        if (audio.state !== 'running') return;
        audio.removeEventListener('statechange', begin);
        if (musicWanted === path && !music) music = playBuffer(sounds[path]);
      });
      return;
    }
    music = playBuffer(sounds[path]);
  }

  function stopMusic() {
    musicWanted = null;
    if (music) { try { music.stop(); } catch (e) {} music = null; }
  }

  // The game's fsync: the table it has just saved goes to IndexedDB.
  function keepSaves() {
    // A recording watched leaves the visitor's table as it was, and is nobody's game to hand in.
    if (!watch) {
      sidescrollerStorage.keep();
      sidescrollerOnline.saved();
    }
  }

  var putMs = 0;  // time spent in putImageData, for the figures
  function putArea(pointer, left, top, width, height) {
    var buffer = Module.HEAPU8.buffer;
    if (!image || image.data.buffer !== buffer || image.pointer !== pointer) {
      image = new ImageData(new Uint8ClampedArray(buffer, pointer, WIDTH * HEIGHT * 4), WIDTH,
                            HEIGHT);
      image.pointer = pointer;
    }
    var start = performance.now();
    if (multiple === 1) {
      context.putImageData(image, 0, 0, left, top, width, height);
    } else {
      var k = multiple;
      sourceContext.putImageData(image, 0, 0, left, top, width, height);
      context.drawImage(source, left, top, width, height, left * k, top * k, width * k, height * k);
    }
    putMs += performance.now() - start;
    if (!notice.hidden && !ended && !problemShown) {
      notice.hidden = true;
      bar.hidden = false;
      relayout();
      // The game has read its table by its first picture.
      if (sidescrollerStorage.wantsTable()) setTimeout(function () { Module._WebSaveScores(); });
      performance.mark('first-picture');
    }
  }

  var problemShown = false;
  function showProblem(text) {
    problemShown = true;
    var match = /cannot use the picture (\S+):/.exec(text);
    var note = match && fileNotes[match[1]];
    show(text.charAt(0).toUpperCase() + text.slice(1) + '.',
         note ? 'The server sent ' + note + ' for ' + match[1] + '.' : '');
  }

  function gameEnded(code) {
    ended = true;
    if (problemShown) return;
    show('The game has ended. Thank you for playing.');
    document.getElementById('again').hidden = false;
    document.getElementById('record-end').hidden = false;
    bar.hidden = true;
  }

  function recording() {
    Module._WebFlushRecording();
    return Module.FS.readFile('/recording.txt', { encoding: 'utf8' });
  }

  // HTML in place of a game file is a host's error page.
  function looksLikeHtml(bytes) {
    var start = String.fromCharCode.apply(null, bytes.subarray(0, 64)).replace(/^\s+/, '');
    return /^<(!doctype|html|head|body|\?xml)/i.test(start);
  }

  function fetchFile(entry, progress) {
    return fetch(entry.name, { cache: 'no-cache' }).then(function (response) {
      if (!response.ok) {
        fileNotes[entry.name] = 'an error (' + response.status + ' ' + response.statusText + ')';
        progress(entry.size);
        return null;
      }
      var reader = response.body.getReader(), parts = [], got = 0;
      function pump() {
        return reader.read().then(function (step) {
          if (step.done) {
            var bytes = new Uint8Array(got), at = 0;
            parts.forEach(function (p) { bytes.set(p, at); at += p.length; });
            return bytes;
          }
          parts.push(step.value);
          got += step.value.length;
          progress(step.value.length);
          return pump();
        });
      }
      return pump();
    }, function (error) {
      fileNotes[entry.name] = 'nothing (' + error.message + ')';
      progress(entry.size);
      return null;
    });
  }

  // Before the game's static constructors run: they read "font.des" and "high.dat".
  function layOut(files, contents, watched) {
    var FS = Module.FS;
    FS.mkdir('/game');
    FS.mkdir('/game/data');
    FS.mkdir('/game/fonts');
    files.forEach(function (entry, i) {
      var bytes = contents[i];
      if (!bytes || entry.name === 'sidescroller.wasm') return;
      if (looksLikeHtml(bytes)) fileNotes[entry.name] = 'a web page in its place';
      FS.writeFile('/game/' + entry.name, bytes);
      if (/\.wav$/i.test(entry.name)) decode(entry.name, bytes);
    });
    // "high.dat" lives in a folder of its own, linked into the game's folder. The game
    // saves through the link as on every system, a temporary file renamed over the table,
    // and its fsync has the table written to IndexedDB (platform/web/library.js). Where the
    // browser refuses storage, the table stays in memory and the scores last the visit.
    FS.mkdir('/save');
    FS.symlink('/save/high.dat', '/game/high.dat');
    FS.chdir('/game');
    // Watched, the game starts from an empty table, as the server's replay does, and keeps
    // its table in memory.
    if (watch) {
      FS.writeFile('/watch.txt', watched);
      message.textContent = 'Starting…';
      return;
    }
    Module.addRunDependency('saved scores');
    sidescrollerStorage.read(FS, '/save/high.dat', function () {
      if (!stopped) message.textContent = 'Starting…';
      Module.removeRunDependency('saved scores');
    });
  }

  function load() {
    if (typeof WebAssembly !== 'object' || typeof fetch !== 'function') {
      show('This browser cannot run the game: it has no WebAssembly.',
           'Any current browser can: Chrome, Edge, Firefox or Safari.');
      return;
    }
    // The native game mixes 1,024 frames at a time; the browser's default of a tenth of that
    // wakes its audio threads ten times as often, for effects no one hears sooner.
    try {
      audio = new (window.AudioContext || window.webkitAudioContext)({ latencyHint: 1024 / 44100 });
    } catch (e) { audio = null; }
    fetch('files.json', { cache: 'no-cache' }).then(function (r) {
      if (!r.ok) throw new Error('files.json: ' + r.status + ' ' + r.statusText);
      return r.json();
    }).then(function (files) {
      var total = files.reduce(function (sum, f) { return sum + f.size; }, 0), done = 0;
      function progress(bytes) {
        done += bytes;
        if (!stopped) message.textContent = 'Loading… ' + Math.round(done / 1024) + ' of ' +
                              Math.round(total / 1024) + ' KB';
      }
      // The game's code is compiled as soon as it has come, while the pictures still load,
      // and the runtime starts beside them: it waits for the files before the game's own
      // start-up, which reads them.
      // The music only plays after a key, so the game does not wait for it: it is fetched
      // beside the rest and decoded when it has come, and the logo is drawn meanwhile.
      var later = files.filter(function (f) { return /\.mp3$/i.test(f.name); });
      files = files.filter(function (f) { return !/\.mp3$/i.test(f.name); });
      later.forEach(function (f) {
        fetchFile(f, progress).then(function (bytes) {
          if (bytes && !looksLikeHtml(bytes)) decode(f.name, bytes);
        });
      });
      var loading = files.map(function (f) { return fetchFile(f, progress); });
      var wasmAt = files.findIndex(function (f) { return f.name === 'sidescroller.wasm'; });
      var compiled = (wasmAt < 0 ? Promise.resolve(null) : loading[wasmAt]).then(function (wasm) {
        if (!wasm || looksLikeHtml(wasm)) {
          throw new Error('sidescroller.wasm is ' + (wasm ? 'a web page, not the game' : 'missing'));
        }
        return WebAssembly.compile(wasm);
      });
      var all = Promise.all(loading);
      compiled.catch(function (error) { show('The game cannot start: ' + error.message + '.'); });
      window.Module = {
        canvas: canvas,
        print: function (text) { console.log(text); },
        printErr: function (text) { console.log(text); },
        instantiateWasm: function (imports, receive) {
          compiled.then(function (module) {
            return WebAssembly.instantiate(module, imports);
          }).then(function (instance) { receive(instance); }, function () {});
          return {};
        },
        preRun: [function () {
          Module.addRunDependency('game files');
          var watched = watch ? sidescrollerWatch.recording() : Promise.resolve(null);
          Promise.all([all, watched]).then(function (got) {
            performance.mark('files-loaded');
            layOut(files, got[0], got[1]);
            Module.removeRunDependency('game files');
          }, function (error) {
            show('This recording cannot be watched: ' + error.message + '.');
          });
        }],
        onRuntimeInitialized: function () {
          performance.mark('game-started');
          if (window.sidescrollerOffline) sidescrollerOffline.filesLoaded();
          // Playing for the board, the game starts with the token's seed (online.js).
          sidescrollerOnline.ready().then(function () { Module.callMain([]); });
        },
        onAbort: function (what) { show('The game stopped: ' + what + '.'); }
      };
      var script = document.createElement('script');
      script.src = 'sidescroller.js';
      script.onerror = function () { show('The game cannot start: sidescroller.js is missing.'); };
      document.body.appendChild(script);
    }).catch(function (error) {
      show('The game cannot start: ' + error.message + '.');
    });
  }

  load();
  return {
    showProblem: showProblem, putArea: putArea, toggleFullScreen: toggleFullScreen,
    keepSaves: keepSaves, playMusic: playMusic, stopMusic: stopMusic,
    playEffect: playEffect, stopEffect: stopEffect, gameEnded: gameEnded,
    recording: recording,
    putMs: function () { return putMs; },
    // For the browser test: what the sound has got to.
    soundState: function () {
      return { context: audio ? audio.state : 'none', decoded: Object.keys(sounds).sort(),
               music: !!music };
    }
  };
})();
