// The run log: one line for each thing that happens in the run, stamped with the simulation time,
// and the warnings about the run's input, which go to a stream of their own.
#pragma once

#include <iostream>
#include <ostream>
#include <string>

namespace standin {

class RunLog {
public:
    // Times are printed with enough decimals to tell the steps of `stepLength` apart.
    RunLog(std::ostream &out, double stepLength, std::ostream &warnings = std::cerr);

    void Line(double simTime, const std::string &text);

    // "<file>:<line>: warning: <text>"
    void Warning(const std::string &file, int line, const std::string &text);

private:
    std::ostream &out;
    std::ostream &warnings;
    int decimals;
};

} // namespace standin
