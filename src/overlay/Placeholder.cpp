// Filled in as the overlay code arrives.
