// The page keeps its files in memory. A file that grows (the record store
// during the first start's import, a few megabytes written a page at a time)
// is copied into new storage each time it outgrows the old; beyond a
// megabyte emscripten grows it by an eighth each time, so the import copied
// the store over and over. Here storage always doubles.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function() {
  if (typeof MEMFS === 'undefined' || typeof MEMFS.expandFileStorage !== 'function') return;
  MEMFS.expandFileStorage = function(node, newCapacity) {
    var prevCapacity = node.contents ? node.contents.length : 0;
    if (prevCapacity >= newCapacity) return;
    newCapacity = Math.max(newCapacity, prevCapacity * 2, 256);
    var oldContents = node.contents;
    node.contents = new Uint8Array(newCapacity);
    if (node.usedBytes > 0) node.contents.set(oldContents.subarray(0, node.usedBytes), 0);
  };
});
