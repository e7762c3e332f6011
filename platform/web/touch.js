// Touch screens: a finger works the game as the mouse and the keys do (touch.cpp turns
// what this sees into the game's cursor and messages), a text field brings up the device's
// own keyboard for the name, a reload control stands beside the picture, and the page holds
// the game while the device stands upright or the page is in the background.
'use strict';

var sidescrollerTouch = (function () {
  var PLAYING = 1, MAIN_MENU = 2, HIGH_SCORES = 4, CREDITS_1 = 5, CREDITS_2 = 6, LOGO = 7,
      NAME_ENTRY = 8;
  var VK_RETURN = 13, VK_BACK = 8, VK_SPACE = 32;
  var root = document.documentElement;
  var canvas = document.getElementById('screen');
  var notice = document.getElementById('notice');
  var fingers = {};     // the fingers down on the page, by identifier
  var fingerCount = 0;
  var tapScreen = 0;    // the screen under the first finger of a touch
  var waiting = [];     // the game's wait, resolved when the page lets go
  var heldSince = 0;

  var turn = document.createElement('div');
  turn.id = 'turn';
  turn.hidden = true;
  turn.textContent = 'Turn the device on its side to play.';
  document.body.appendChild(turn);

  var reload = document.createElement('button');
  reload.id = 'reload';
  reload.type = 'button';
  reload.textContent = 'Reload';
  reload.hidden = true;
  document.body.appendChild(reload);

  // Escape, for a game ended before its clock: the score is kept, the menu comes back.
  var endGame = document.createElement('button');
  endGame.id = 'endgame';
  endGame.type = 'button';
  endGame.textContent = 'End game';
  endGame.hidden = true;
  document.body.appendChild(endGame);

  // Typing goes into this field and on to the game; it is out of sight, the game draws the
  // name. The device's keyboard shows while it has the focus.
  var form = document.createElement('form');
  form.id = 'typing';
  var field = document.createElement('input');
  field.type = 'text';
  field.setAttribute('aria-label', 'Your name');
  field.setAttribute('autocomplete', 'off');
  field.setAttribute('autocorrect', 'off');
  field.setAttribute('autocapitalize', 'characters');
  field.setAttribute('spellcheck', 'false');
  field.setAttribute('enterkeyhint', 'done');
  field.maxLength = 8;
  form.appendChild(field);
  document.body.appendChild(form);
  var typed = '';  // what the game has been sent from the field

  function running() {
    return typeof Module === 'object' && Module._WebTouchScreen && notice.hidden &&
           !sidescrollerWatch.active();
  }

  function onPicture(touch) {
    var r = canvas.getBoundingClientRect();
    return touch.clientX >= r.left && touch.clientX < r.right &&
           touch.clientY >= r.top && touch.clientY < r.bottom;
  }

  // The first touch makes this a touch screen: the picture leaves room beside it for the
  // controls (page.js's fit), and the page asks to be turned when it stands upright.
  function touchSeen() {
    if (root.classList.contains('touch')) return;
    root.classList.add('touch');
    window.dispatchEvent(new Event('resize'));
  }

  function placeReload() {
    var r = canvas.getBoundingClientRect();
    var room = r.left;
    reload.hidden = !root.classList.contains('touch') || room < 44;
    if (reload.hidden) return;
    var size = Math.min(room - 8, 88);
    reload.style.width = size + 'px';
    reload.style.height = size + 'px';
    reload.style.left = (room - size) / 2 + 'px';
    reload.style.top = (r.bottom - size - 8) + 'px';
    endGame.hidden = reload.hidden;
    endGame.style.width = size + 'px';
    endGame.style.left = reload.style.left;
    endGame.style.top = (r.top + 8) + 'px';
  }

  // The game's key codes of what the field holds: capital letters, digits and spaces, as
  // the keys that type them send; the game has no glyphs for the rest.
  function keysOf(text) {
    return text.toUpperCase().replace(/[^A-Z0-9 ]/g, '').slice(0, 8);
  }

  function sendTyping() {
    var now = keysOf(field.value), same = 0;
    while (same < now.length && same < typed.length && now[same] === typed[same]) same++;
    for (var i = typed.length; i > same; i--) Module._WebTouchKey(VK_BACK);
    for (var j = same; j < now.length; j++) Module._WebTouchKey(now.charCodeAt(j));
    typed = now;
  }

  function finishTyping() {
    if (running() && Module._WebTouchScreen() === NAME_ENTRY) Module._WebTouchKey(VK_RETURN);
    field.blur();
  }

  function startTyping() {
    field.value = typed;
    field.focus();
  }

  field.addEventListener('input', function () { if (running()) sendTyping(); });
  // While the field has the focus, keys are its own: what they type reaches the game once,
  // through its input, and Enter (or the keyboard's done key) confirms the name.
  field.addEventListener('keydown', function (e) {
    e.stopPropagation();
    if (e.key === 'Enter' || e.keyCode === VK_RETURN) {
      e.preventDefault();
      finishTyping();
    }
  });
  field.addEventListener('keyup', function (e) { e.stopPropagation(); });
  form.addEventListener('submit', function (e) {
    e.preventDefault();
    finishTyping();
  });

  function isControl(target) {
    return target && target.closest && target.closest('button, input, a') !== null;
  }

  function touchStart(e) {
    if (isControl(e.target)) return;
    e.preventDefault();
    touchSeen();
    if (!running() || holds()) return;
    for (var i = 0; i < e.changedTouches.length; i++) {
      var t = e.changedTouches[i];
      if (fingers[t.identifier]) continue;
      fingers[t.identifier] = true;
      // A second finger reloads, wherever it lands; the first aims and shoots.
      if (++fingerCount > 1) {
        Module._WebTouchReload();
        continue;
      }
      tapScreen = Module._WebTouchScreen();
      if (tapScreen === PLAYING || tapScreen === MAIN_MENU) {
        Module._WebTouchAim(t.clientX, t.clientY);
        if (onPicture(t)) Module._WebTouchShoot();
      }
    }
  }

  function touchMove(e) {
    if (isControl(e.target)) return;
    e.preventDefault();
    if (!running() || holds()) return;
    // The cursor follows the last finger that moved.
    for (var i = 0; i < e.changedTouches.length; i++) {
      var t = e.changedTouches[i];
      if (fingers[t.identifier]) Module._WebTouchAim(t.clientX, t.clientY);
    }
  }

  function touchEnd(e) {
    if (isControl(e.target)) return;
    e.preventDefault();
    var last = false;
    for (var i = 0; i < e.changedTouches.length; i++) {
      var t = e.changedTouches[i];
      if (!fingers[t.identifier]) continue;
      delete fingers[t.identifier];
      if (--fingerCount === 0) last = true;
    }
    if (!last || !running() || holds()) return;
    Module._WebTouchLifted();
    if (e.type === 'touchcancel') return;
    // The screens a key moves on move on with a tap; the key is Space, the one that also
    // leaves the high scores. The logo leads to the name, so the keyboard comes up.
    if (tapScreen === LOGO || tapScreen === HIGH_SCORES || tapScreen === CREDITS_1 ||
        tapScreen === CREDITS_2) {
      Module._WebTouchKey(VK_SPACE);
    }
    if (tapScreen === LOGO || tapScreen === NAME_ENTRY) startTyping();
  }

  document.addEventListener('touchstart', touchStart, { passive: false });
  document.addEventListener('touchmove', touchMove, { passive: false });
  document.addEventListener('touchend', touchEnd, { passive: false });
  document.addEventListener('touchcancel', touchEnd, { passive: false });
  reload.addEventListener('touchstart', function (e) {
    e.preventDefault();
    if (running() && !holds()) Module._WebTouchReload();
  }, { passive: false });
  function endGameKey(down) {
    return function (e) {
      e.preventDefault();
      if (running() && !holds()) Module._WebTouchEndGame(down);
    };
  }
  endGame.addEventListener('pointerdown', endGameKey(1));
  endGame.addEventListener('pointerup', endGameKey(0));
  endGame.addEventListener('pointercancel', endGameKey(0));
  endGame.addEventListener('pointerleave', endGameKey(0));
  reload.addEventListener('click', function () {
    if (running() && !holds()) Module._WebTouchReload();
    reload.blur();
  });

  // Held: upright on a touch screen, where the picture would be small and the thumbs have
  // no room, or in the background, where the browser slows the page's timers to a crawl.
  function holds() {
    var upright = root.classList.contains('touch') && window.innerHeight > window.innerWidth;
    return upright || document.hidden;
  }

  function whenLetGo() {
    return new Promise(function (resolve) { waiting.push(resolve); });
  }

  function update() {
    var upright = root.classList.contains('touch') && window.innerHeight > window.innerWidth;
    turn.hidden = !upright;
    placeReload();
    if (holds()) {
      if (!heldSince) heldSince = performance.now();
      return;
    }
    var held = heldSince ? performance.now() - heldSince : 0;
    heldSince = 0;
    var resolves = waiting;
    waiting = [];
    resolves.forEach(function (resolve) { resolve(held); });
  }
  window.addEventListener('resize', update);
  window.addEventListener('orientationchange', update);
  // The page fits the picture after this script has run, and again on every resize: the
  // control follows the picture wherever it is put.
  if (window.ResizeObserver) new ResizeObserver(placeReload).observe(canvas);
  document.addEventListener('visibilitychange', update);
  if (window.matchMedia && matchMedia('(pointer: coarse)').matches) touchSeen();
  update();

  return { holds: holds, whenLetGo: whenLetGo };
})();
