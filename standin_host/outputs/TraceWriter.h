// The run's trace: a CSV row per vessel per step (or every N-th step), written as the run goes,
// with numbers that read back as the same double whatever the locale.
#pragma once

#include "host/HostTypes.h"
#include "standin_host/simulation/RunObserver.h"

#include <cstddef>
#include <string>
#include <vector>

namespace standin {

class TextOut;

class TraceWriter : public RunObserver {
public:
    // Step rows go out every `every`-th step (1: every step); rows of a creation or a deletion
    // always do. `out` must stay open for the run.
    TraceWriter(TextOut &out, std::size_t every);

    void VesselCreated(const RunView &run, const VesselRecord &vessel) override;
    void StepStarting(const RunView &run) override;
    void StepDone(const RunView &run, const StepFacts &facts) override;
    void RunEnded(const RunView &run) override;

private:
    void AppendRow(double time, const VesselRecord &vessel, const VECTOR3 &camera, bool targeted,
                   const char *debugLine, const char *event);

    TextOut &out;
    std::size_t every;
    std::size_t steps = 0;
    std::string row;
    // Created at the current boundary, written once its events have all fired.
    std::vector<const VesselRecord *> created;
};

} // namespace standin
