// Filled in by the change that adds it.
