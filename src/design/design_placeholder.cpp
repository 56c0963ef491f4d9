// Replaced by the design sources.
