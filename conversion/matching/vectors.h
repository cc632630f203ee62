// Whether the matchers use SSE2's vectors of sixteen characters: in every
// x86-64 build, unless PLUCKROW_PORTABLE asks for the code that other
// processors build, so that the tests run that code here too.
#pragma once

#if defined(__SSE2__) && !defined(PLUCKROW_PORTABLE)
#define PLUCKROW_SSE2 1
#include <emmintrin.h>
#else
#define PLUCKROW_SSE2 0
#endif
