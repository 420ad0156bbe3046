// Switches the process to the "C" locale for one scope, so that the standard library's own
// number reading and printing can serve as the reference while the code under test runs under
// whatever locale the test program was started with.
#pragma once

#include <clocale>
#include <string>

namespace brevlet_test {

class ClassicLocale {
public:
    ClassicLocale() : previous(std::setlocale(LC_ALL, nullptr)) { std::setlocale(LC_ALL, "C"); }
    ~ClassicLocale() { std::setlocale(LC_ALL, previous.c_str()); }
    ClassicLocale(const ClassicLocale &) = delete;
    ClassicLocale &operator=(const ClassicLocale &) = delete;

private:
    std::string previous;
};

} // namespace brevlet_test
