// Keeps the game for play without a network: once the page has every file of the game, it
// registers sw.js, which keeps them all (see there). A newer site's worker takes over only
// then too, so that one visit never mixes the files of two builds; the new build is the
// one the next start plays.
'use strict';

var sidescrollerOffline = (function () {
  function takeOver(worker) {
    if (worker) worker.postMessage('take over');
  }

  function filesLoaded() {
    if (!('serviceWorker' in navigator)) return;
    navigator.serviceWorker.register('sw.js', { scope: './' }).then(function (registration) {
      if (registration.waiting) takeOver(registration.waiting);
      registration.addEventListener('updatefound', function () {
        var worker = registration.installing;
        worker.addEventListener('statechange', function () {
          if (worker.state === 'installed') takeOver(worker);
        });
      });
    }, function (error) {
      console.log('Sidescroller: the game is not kept for offline play (' + error.message + ')');
    });
  }

  return { filesLoaded: filesLoaded };
})();
