// The game's fsync in the browser. Waiting here until IndexedDB has the table would need
// ASYNCIFY to put the stack aside at every indirect call, and make the start-up three times
// slower. The file is whole in memory when fsync comes (the game renames a complete
// temporary file over the table), so the page writes the table to IndexedDB in the
// background once the game has let it run, in one transaction (storage.js): the game goes
// on at once, and the stored table is the old one or the new one, never part of either.
mergeInto(LibraryManager.library, {
  fd_sync: function (fd) {
    sidescrollerPage.keepSaves();
    return 0;
  },
});
