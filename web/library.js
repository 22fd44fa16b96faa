// fsync: the files live in memory (the page) or are the host's own (Node),
// and the page saves its device root to the browser's storage itself, once
// the program waits for input (a save at every fsync of the record store
// would copy the whole database to IndexedDB many times during an import).
// This emscripten's own fsync also fails on Node's host files.
mergeInto(LibraryManager.library, {
  fd_sync: function(fd) {
    return 0;
  },
});
