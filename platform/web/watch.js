// Watching a recording: index.html?watch=URL fetches a play-through in the format of
// "sidescroller --record" and the game plays it with its own code (watch.cpp), at the pace of
// this clock: play and pause, 1x, 2x or 4x, back to the start, a bar of how far it is, and at
// the end the score and a link back to the board it came from. The visitor's input and
// stored scores are left out of it: the game's table lives in memory for the visit.
'use strict';

var sidescrollerWatch = (function () {
  var wanted = new URLSearchParams(location.search).get('watch');
  if (!wanted) return { active: function () { return false; } };
  var address = new URL(wanted, location.href).href;
  var version = document.documentElement.getAttribute('data-version');
  document.documentElement.classList.add('watching');
  var controls = document.getElementById('watch');
  var playButton = document.getElementById('watch-play');
  var speedButtons = Array.prototype.slice.call(document.querySelectorAll('#watch [data-speed]'));
  var bar = document.getElementById('watch-bar');
  controls.hidden = false;

  // Fetched beside the game's files; refused before the game starts when a server verified it
  // with another version, which might play it otherwise.
  var recording = fetch(address, { cache: 'no-cache' }).then(function (response) {
    if (!response.ok) {
      throw new Error('the server sent an error (' + response.status + ' ' +
                      response.statusText + ') for ' + address);
    }
    return response.text();
  }, function (error) {
    throw new Error('nothing came from ' + address + ' (' + error.message + ')');
  }).then(function (text) {
    var verified = /^# verified by sidescroller-server (\S+)/.exec(text);
    if (verified && verified[1] !== version) {
      throw new Error('it was verified by version ' + verified[1] + ' of the game, and this ' +
                      'page is version ' + version + ', which may play it otherwise');
    }
    return text;
  });

  // The recording's clock, in ms from its start: it runs at the chosen speed while playing.
  var length = 0, base = 0, baseAt = 0, speed = 1, playing = true, over = false;
  var waiting = null, timer = 0, pausedHidden = false, shownAt = 0;
  function now() {
    return playing ? base + (performance.now() - baseAt) * speed : base;
  }
  function rebase() {
    base = now();
    baseAt = performance.now();
  }
  // The game's next moment comes when the clock reaches it; a timer, never a loop.
  function wake() {
    clearTimeout(timer);
    timer = 0;
    if (!waiting || !playing) return;
    var ms = (waiting.at - now()) / speed;
    if (ms > 0) {
      timer = setTimeout(wake, ms);
      return;
    }
    var resolve = waiting.resolve;
    waiting = null;
    resolve();
  }
  function showProgress(at) {
    if (performance.now() - shownAt < 200 && at < length) return;
    shownAt = performance.now();
    bar.value = length > 0 ? Math.min(1, at / length) : 1;
  }
  function until(at) {
    if (at < 0) return new Promise(function () {});
    showProgress(at);
    // A page that fell behind (a slow device at 4x) goes on from where the game is.
    if (now() - at > 250 * speed) {
      base = at;
      baseAt = performance.now();
    }
    return new Promise(function (resolve) {
      waiting = { at: at, resolve: resolve };
      setTimeout(wake);
    });
  }
  function setPlaying(play) {
    if (over) return;
    rebase();
    playing = play;
    playButton.textContent = play ? 'Pause' : 'Play';
    wake();
  }
  function setSpeed(s) {
    rebase();
    speed = s;
    speedButtons.forEach(function (b) {
      b.setAttribute('aria-pressed', String(Number(b.getAttribute('data-speed')) === s));
    });
    wake();
  }

  playButton.addEventListener('click', function () { setPlaying(!playing); });
  speedButtons.forEach(function (b) {
    b.addEventListener('click', function () { setSpeed(Number(b.getAttribute('data-speed'))); });
  });
  // Back to the start: the game's state is made afresh by a new page.
  document.getElementById('watch-start').addEventListener('click', function () {
    location.reload();
  });
  // A page in the background gets a timer a second at most: it waits paused instead.
  document.addEventListener('visibilitychange', function () {
    if (document.hidden && playing) {
      pausedHidden = true;
      setPlaying(false);
    } else if (!document.hidden && pausedHidden) {
      pausedHidden = false;
      setPlaying(true);
    }
  });

  function ends(finalScore) {
    if (over) return;
    rebase();
    over = true;
    playing = false;
    bar.value = 1;
    playButton.disabled = true;
    document.getElementById('watch-score').textContent = String(finalScore);
    // A recording from a leaderboard server leads back to its board.
    var api = address.indexOf('/api/v1/');
    var board = document.getElementById('watch-board');
    if (api >= 0) board.href = address.slice(0, api) + '/';
    board.hidden = api < 0;
    document.getElementById('watch-end').hidden = false;
    window.dispatchEvent(new Event('resize'));
  }

  return {
    active: function () { return true; },
    recording: function () { return recording; },
    begins: function (ms) {
      length = ms;
      base = 0;
      baseAt = performance.now();
    },
    until: until,
    ends: ends,
    refused: function (why) {
      sidescrollerPage.showProblem('cannot watch ' + address + ': ' + why);
    },
    // For the tests: where the clock is, and whether it has ended.
    state: function () { return { at: now(), length: length, over: over, speed: speed }; }
  };
})();
