// A run as those who watch it may read it (the trace, the picture, the progress line): the time,
// the vessels, the camera. Nothing here changes the run.
#pragma once

#include "host/HostTypes.h"
#include "standin_host/interface/VesselRecord.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace standin {

struct SimVessel;

// The run's vessels as const records, through which no module is reached; those gone in an
// earlier step are passed over.
class VesselList {
public:
    using Owned = std::vector<std::unique_ptr<SimVessel>>;

    class Iterator {
    public:
        Iterator(Owned::const_iterator at, Owned::const_iterator end) : at(at), end(end) {
            PassGone();
        }
        const VesselRecord &operator*() const;
        Iterator &operator++() {
            ++at;
            PassGone();
            return *this;
        }
        bool operator==(const Iterator &other) const { return at == other.at; }
        bool operator!=(const Iterator &other) const { return at != other.at; }

    private:
        void PassGone();
        Owned::const_iterator at;
        Owned::const_iterator end;
    };

    // `count` of the `owned` vessels are not gone.
    VesselList(const Owned &owned, std::size_t count) : owned(&owned), count(count) {}
    Iterator begin() const { return Iterator(owned->begin(), owned->end()); }
    Iterator end() const { return Iterator(owned->end(), owned->end()); }
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    const VesselRecord &front() const { return *begin(); }

private:
    const Owned *owned;
    std::size_t count;
};

class RunView {
public:
    virtual double Time() const = 0;
    // Every vessel of the run in the order of creation, those that asked for deletion in the
    // current step among them until the step has ended.
    virtual VesselList Vessels() const = 0;
    // How many of Vessels() asked for deletion in the current step.
    virtual std::size_t PendingDeletions() const = 0;
    virtual const VECTOR3 &CameraPosition() const = 0;
    // The vessel that the camera targets, or null.
    virtual const VesselRecord *CameraTarget() const = 0;

protected:
    ~RunView() = default;
};

} // namespace standin
