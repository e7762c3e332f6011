// The game's fsync in the browser. Emscripten's own waits (under ASYNCIFY) until IDBFS has
// written the whole mount to IndexedDB, which would make every indirect call a place the
// stack can be put aside, and the start-up three times slower. Here the file is already
// whole in memory when fsync comes (the game renames a complete temporary file over the
// table), so the page writes the folder to IndexedDB in the background, in one transaction:
// the stored table is the old one or the new one, never part of either.
mergeInto(LibraryManager.library, {
  fd_sync: function (fd) {
    sidescrollerPage.keepSaves();
    return 0;
  },
});
