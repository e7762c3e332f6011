// Playing for the board. Where whoever publishes the site puts a leaderboard.json beside the
// page ({"server": "URL"}), the page asks the board's server for a token before the game
// starts, the game plays with the token's seed, and after every finished game the recording
// so far is handed in, in the background, and the answer is shown beside the picture.
// Without the file, or when the player chose to play offline, the page plays as it always
// has. Nothing here ever holds a frame: every call to the server is a fetch the game does
// not wait for, and the only wait, for the token before the game starts, is bounded.
'use strict';

var sidescrollerOnline = (function () {
  var CHOICE = 'sidescroller-board';  // in localStorage: 'board' or 'offline'
  var TOKEN_WAIT_MS = 2000;
  var board = new URLSearchParams(location.search).get('board') === 'daily' ? 'daily' : 'open';
  var version = document.documentElement.dataset.version;
  var line = document.getElementById('online');
  var dailyLink = document.getElementById('daily');
  var server = null;            // the board's address, once the site names one
  var token = null, seed = -1;  // while playing for the board
  var sending = false, again = false, retryTimer = 0, retryMs = 2000;
  var refused = false;          // the board refused the play-through: it is not sent again
  var soon = false;             // a hand-in waits for the game to let the page run

  // One line beside the picture; the page lays the picture out around it.
  function say(text, link) {
    line.textContent = text;
    if (link) {
      var a = document.createElement('a');
      a.href = link.href;
      a.target = '_blank';
      a.rel = 'noopener';
      a.textContent = link.text;
      line.append(' ', a);
    }
    line.hidden = !text;
    window.dispatchEvent(new Event('resize'));
  }

  function stays(why) {
    say('The score stays in this browser: ' + why + '.');
  }

  function withTimeout(ms, start) {
    var abort = typeof AbortController === 'function' ? new AbortController() : null;
    var timer = setTimeout(function () { if (abort) abort.abort(); }, ms);
    return start(abort && abort.signal).finally(function () { clearTimeout(timer); });
  }

  // The board's address from leaderboard.json, relative to the file; null where there is
  // none (the page then plays as ever, and says nothing).
  function readConfig() {
    return withTimeout(TOKEN_WAIT_MS, function (signal) {
      return fetch('leaderboard.json', { cache: 'no-cache', signal: signal });
    }).then(function (response) {
      if (!response.ok) return null;
      return response.json().then(function (config) {
        if (!config || typeof config.server !== 'string' || !config.server) return null;
        var url = new URL(config.server, response.url);
        if (!/\/$/.test(url.pathname)) url.pathname += '/';
        return url;
      });
    }).catch(function () { return null; });
  }

  // Asked once: the name and the play-through will be public.
  function choose() {
    var kept = null;
    try { kept = localStorage.getItem(CHOICE); } catch (e) {}
    if (kept === 'board' || kept === 'offline') return Promise.resolve(kept);
    var ask = document.getElementById('ask');
    document.getElementById('ask-where').textContent = server.host;
    ask.hidden = false;
    return new Promise(function (resolve) {
      function answer(choice) {
        return function (e) {
          e.currentTarget.blur();
          performance.mark('board-chosen');
          ask.hidden = true;
          try { localStorage.setItem(CHOICE, choice); } catch (error) {}
          resolve(choice);
        };
      }
      document.getElementById('ask-board').addEventListener('click', answer('board'));
      document.getElementById('ask-offline').addEventListener('click', answer('offline'));
    });
  }

  function errorOf(response) {
    return response.json().then(function (body) {
      return body && body.error ? body.error : response.status + ' ' + response.statusText;
    }, function () { return response.status + ' ' + response.statusText; });
  }

  function askToken() {
    return withTimeout(TOKEN_WAIT_MS, function (signal) {
      return fetch(new URL('api/v1/tokens', server), {
        method: 'POST', signal: signal, headers: { 'Content-Type': 'application/json' },
        body: JSON.stringify({ board: board, version: version })
      });
    }).then(function (response) {
      if (response.status === 409) return stays('the board plays another version of the game');
      if (response.status !== 201) {
        return errorOf(response).then(function (error) {
          stays('the board refused to start a game (' + error + ')');
        });
      }
      return response.json().then(function (answer) {
        token = answer.token;
        seed = answer.seed >>> 0;
        dailyLink.hidden = board === 'daily';
        if (board === 'daily') say('The daily hunt of ' + answer.date + '.');
      });
    }).catch(function (error) {
      stays(error && error.name === 'AbortError'
                ? 'the board did not answer within ' + TOKEN_WAIT_MS / 1000 + ' seconds'
                : 'the board cannot be reached');
    });
  }

  // Before the game starts (and seeds its random numbers): settled once the token has come,
  // or the game is to play offline.
  // The marks say how long the game waited for the board, for the test.
  // A recording watched (?watch=) plays for nobody: no question, no token, no hand-in.
  var watching = new URLSearchParams(location.search).has('watch');
  var decided = (watching ? Promise.resolve(null) : readConfig()).then(function (url) {
    if (!url) return;
    server = url;
    return choose().then(function (choice) {
      if (choice === 'board') return askToken();
      say('Playing offline, as chosen.');
      var button = document.createElement('button');
      button.type = 'button';
      button.textContent = 'Play for the board';
      button.addEventListener('click', function () {
        try { localStorage.removeItem(CHOICE); } catch (e) {}
        location.reload();
      });
      line.append(' ', button);
    });
  }).then(function () { performance.mark('board-decided'); });

  function count(n) {
    return Number(n).toLocaleString('en-US');
  }

  function showRank(answer) {
    var games = answer.games || [];
    var game = games[games.length - 1];
    if (!game) return;
    var rank = game.rank || {};
    var text = board === 'daily'
        ? 'Rank ' + count(rank.day.rank) + ' of ' + count(rank.day.total) +
          ' in the daily hunt of ' + game.date + '.'
        : 'Rank ' + count(rank.day.rank) + ' of ' + count(rank.day.total) + ' today, ' +
          count(rank.week.rank) + ' of ' + count(rank.week.total) + ' this week.';
    say(text, { href: new URL('games/' + game.id, server).href, text: 'On the board' });
  }

  // The recording, gzipped where the browser can.
  function body() {
    var text = sidescrollerPage.recording();
    if (typeof CompressionStream !== 'function') return Promise.resolve({ bytes: text });
    var stream = new Blob([text]).stream().pipeThrough(new CompressionStream('gzip'));
    return new Response(stream).arrayBuffer().then(function (bytes) {
      return { bytes: bytes, gzip: true };
    }, function () { return { bytes: text }; });
  }

  // Tried again while the page is open, less often each time the board is away.
  function later(why) {
    stays(why + '; the page tries again');
    clearTimeout(retryTimer);
    retryTimer = setTimeout(handIn, retryMs);
    retryMs = Math.min(retryMs * 2, 60000);
  }

  function answered(response) {
    if (response.status === 200) {
      retryMs = 2000;
      return response.json().then(showRank);
    }
    if (response.status === 202) {
      // Verification takes longer: the answer is asked for again.
      return response.json().then(function (queued) {
        return new Promise(function (resolve) { setTimeout(resolve, 1000); }).then(function () {
          return fetch(new URL(queued.location.replace(/^\//, ''), server));
        }).then(answered);
      });
    }
    if (response.status === 429 || response.status === 503 || response.status >= 500) {
      return later('the board is busy');
    }
    return errorOf(response).then(function (error) {
      refused = true;
      stays('the board refused the game (' + error + ')');
    });
  }

  // After each finished game, the whole recording so far: it extends the one handed in
  // before, and the server enters each finished game once.
  function handIn() {
    if (!token || refused) return;
    if (sending) {
      again = true;
      return;
    }
    sending = true;
    clearTimeout(retryTimer);
    body().then(function (sent) {
      var headers = { Authorization: 'Bearer ' + token, 'Content-Type': 'text/plain' };
      if (sent.gzip) headers['Content-Encoding'] = 'gzip';
      return fetch(new URL('api/v1/games', server), {
        method: 'POST', headers: headers, body: sent.bytes
      });
    }).then(answered).catch(function () {
      later('the board cannot be reached');
    }).finally(function () {
      sending = false;
      if (again) {
        again = false;
        handIn();
      }
    });
  }

  return {
    // page.js starts the game once this has settled.
    ready: function () { return decided; },
    // The seed the game plays with (platform/web/clock.cpp), -1 for the clock's.
    seed: function () { return token ? seed : -1; },
    // The game saved its table, which it does after every finished game; the recording is
    // read once the game has let the page run.
    saved: function () {
      if (!token || soon) return;
      soon = true;
      setTimeout(function () {
        soon = false;
        handIn();
      }, 0);
    }
  };
})();
