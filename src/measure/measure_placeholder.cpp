// Replaced by the measurement sources.
