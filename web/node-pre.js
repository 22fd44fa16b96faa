// The Node build runs on the host's files.
// It reads its WebAssembly itself: this emscripten would fetch() the file's
// path, which Node's fetch refuses.
Module['wasmBinary'] = require('fs').readFileSync(require('path').join(__dirname, 'terravue.wasm'));
// The folder of the fonts and the time zone come from the host's environment
// (emscripten's own environment is separate).
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function() {
  if (process.env['TERRAVUE_FONT_DIR']) ENV['TERRAVUE_FONT_DIR'] = process.env['TERRAVUE_FONT_DIR'];
  if (process.env['TZ']) ENV['TZ'] = process.env['TZ'];
});
