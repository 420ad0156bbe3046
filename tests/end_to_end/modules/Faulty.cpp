// A vessel module that fails on purpose, as its class configuration says: "Fault = segv" (writes
// through a null pointer), "abort", "fpe" (divides an integer by zero), "throw" (a
// std::runtime_error), or "throw-int" (an exception of no standard type), in the callback that
// "In = clbkPostStep" or "In = clbkSaveState" names, once the time reaches "At = <seconds>".
// Every vessel counts its steps on the debug line, so that the run log has lines held when the
// fault comes.
#include "host/HostServices.h"
#include "host/ModuleEntry.h"
#include "host/Vessel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

// Read at the fault, so that the compiler cannot see what they hold.
int *volatile nowhere = nullptr;
volatile long zero = 0;

class Faulty final : public VESSEL2 {
public:
    Faulty(ObjectHandle vesselHandle, int flightModel) : VESSEL2(vesselHandle, flightModel) {}

    void clbkSetClassCaps(FileHandle cfg) override {
        char *line = nullptr;
        while (oapiReadScenario_nextline(cfg, line)) {
            const std::string text(line);
            const std::size_t equals = text.find('=');
            if (equals == std::string::npos) {
                continue;
            }
            const std::string key = text.substr(0, text.find_first_of(" =")),
                              value = text.substr(text.find_first_not_of(' ', equals + 1));
            if (key == "Fault") {
                fault = value;
            } else if (key == "In") {
                callback = value;
            } else if (key == "At") {
                at = std::strtol(value.c_str(), nullptr, 10); // whole seconds, as in every locale
            }
        }
    }

    void clbkPostStep(double simTime, double /*stepLength*/, double /*mjd*/) override {
        time = simTime;
        std::snprintf(oapiDebugString(), DebugStringCapacity, "%s at %ld", fault.c_str(), ++steps);
        if (callback == "clbkPostStep") {
            FailIfDue();
        }
    }

    void clbkSaveState(FileHandle scn) override {
        if (callback == "clbkSaveState") {
            FailIfDue();
        }
        VESSEL2::clbkSaveState(scn);
    }

private:
    void FailIfDue() const {
        if (time < static_cast<double>(at)) {
            return;
        }
        if (fault == "segv") {
            *nowhere = static_cast<int>(steps);
        } else if (fault == "abort") {
            std::abort();
        } else if (fault == "fpe") {
            std::snprintf(oapiDebugString(), DebugStringCapacity, "%ld", steps / zero);
        } else if (fault == "throw") {
            throw std::runtime_error("the faulty module fails on purpose");
        } else if (fault == "throw-int") {
            throw 42;
        }
    }

    std::string fault;
    std::string callback = "clbkPostStep";
    long at = 0;
    double time = 0.0;
    long steps = 0;
};

} // namespace

VESSEL *ovcInit(ObjectHandle vesselHandle, int flightModel) {
    return new Faulty(vesselHandle, flightModel);
}

void ovcExit(VESSEL *vessel) {
    delete static_cast<Faulty *>(vessel);
}
