// A run as those who watch it may read it (the trace, the picture, the progress line): the time,
// the vessels, the camera. Nothing here changes the run.
#pragma once

#include "host/HostTypes.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace standin {

struct SimVessel;

class RunView {
public:
    virtual double Time() const = 0;
    // Every vessel of the run in the order of creation, those that asked for deletion in the
    // current step among them until the step has ended.
    virtual const std::vector<std::unique_ptr<SimVessel>> &Vessels() const = 0;
    // How many of Vessels() asked for deletion in the current step.
    virtual std::size_t PendingDeletions() const = 0;
    virtual const VECTOR3 &CameraPosition() const = 0;
    // The vessel that the camera targets, or null.
    virtual const SimVessel *CameraTarget() const = 0;

protected:
    ~RunView() = default;
};

} // namespace standin
