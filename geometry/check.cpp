#include "geometry/check.h"

#include <cstdio>
#include <cstdlib>

void failConsistencyCheck(int line, const char* file)
{
    std::fprintf(stderr, "Assertion error at line %d in %s\n", line, file);
    std::fflush(stdout);
    std::exit(1);
}
