/* What the engine does not offer. Each call reports e4notSupported, so a
 * caller never mistakes a missing feature for success. */
#include "cbase4.h"

int d4memo_compress(DATA4* d) { return cb4_fail(d, e4notSupported, "d4memo_compress"); }
