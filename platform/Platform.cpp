// Shared state of the layer: which back end answers. The headless back end is the default.
