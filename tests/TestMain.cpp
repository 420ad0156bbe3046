// Runs the tests under the locale of the environment, as the host would. When
// BREVLET_TEST_DECIMAL_COMMA is set, that locale must really be in force and use ',' as its
// decimal separator, so that a missing locale cannot make the run pass without testing anything.
#include <gtest/gtest.h>

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
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
