// Filled in as the media code arrives.
