// Runs the tests under the locale of the environment, as the host would. When
// BREVLET_TEST_DECIMAL_COMMA is set, that locale must really be in force and use ',' as its
// decimal separator, so that a missing locale cannot make the run pass without testing anything.
// BREVLET_TEST_X87_PRECISION sets the x87 unit's precision first, and must still be in force after.
#include <gtest/gtest.h>
#if defined(BREVLET_TEST_X87)
#include "standin_host/platform/X87Precision.h"
#endif

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv) {
    const char *locale = std::setlocale(LC_ALL, "");
    if (std::getenv("BREVLET_TEST_DECIMAL_COMMA") != nullptr) {
        if (locale == nullptr || std::strcmp(std::localeconv()->decimal_point, ",") != 0) {
            std::fprintf(stderr, "the environment's locale is missing or has no decimal comma\n");
            return 1;
        }
    }
    const char *x87Bits = std::getenv("BREVLET_TEST_X87_PRECISION");
#if defined(BREVLET_TEST_X87)
    if (x87Bits != nullptr && !standin::SetX87Precision(std::atoi(x87Bits))) {
        std::fprintf(stderr, "cannot set the x87 precision to '%s' bits\n", x87Bits);
        return 1;
    }
#else
    if (x87Bits != nullptr) {
        std::fprintf(stderr, "BREVLET_TEST_X87_PRECISION: this build has no x87 unit to set\n");
        return 1;
    }
#endif
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
#if defined(BREVLET_TEST_X87)
    if (x87Bits != nullptr && standin::X87Precision() != std::atoi(x87Bits)) {
        std::fprintf(stderr, "the x87 precision changed during the tests\n");
        return 1;
    }
#endif
    return status;
}
