// A check for fuzz targets: a broken property aborts, so libFuzzer saves the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(cond)                                                                                             \
    do {                                                                                                               \
        if (!(cond)) {                                                                                                 \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #cond);                           \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)
