// Compiled once per layer with a header of the layer above it: each compile must fail.
#include VEMO_UPWARD
