// Replaced by the file layer sources.
