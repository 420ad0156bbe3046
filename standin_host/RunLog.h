// The run log: one line for each thing that happens in the run, stamped with the simulation time.
#pragma once

#include <ostream>
#include <string>

namespace standin {

class RunLog {
public:
    // Times are printed with enough decimals to tell the steps of `stepLength` apart.
    RunLog(std::ostream &out, double stepLength);

    void Line(double simTime, const std::string &text);

private:
    std::ostream &out;
    int decimals;
};

} // namespace standin
