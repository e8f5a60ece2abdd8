#pragma once
// Marker for the few functions that carry one whole surface evaluation.
//
// A stage evaluation is a few thousand flops spread over hundreds of small jet
// operations, each passing 64-byte Jet8 values. Asking the compiler to inline
// the whole call tree into these functions removes the copies and lets it fold
// the constant meridian jet (sin 0, cos 0) away. Compilers without the
// attribute get plain functions with the same results.
#if defined(__GNUC__)
#define EVERSION_FLATTEN __attribute__((flatten))
#else
#define EVERSION_FLATTEN
#endif
