// Filled in as the desktop program arrives.
