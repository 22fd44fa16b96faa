// The Node build runs on the host's files: it takes the folder of the fonts
// from the host's environment (emscripten's own environment is separate).
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function() {
  if (process.env['TERRAVUE_FONT_DIR']) ENV['TERRAVUE_FONT_DIR'] = process.env['TERRAVUE_FONT_DIR'];
  if (process.env['TZ']) ENV['TZ'] = process.env['TZ'];
});
