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

// The run's vessels, each seen as its const record: an observer reads them, changes none, and
// reaches no module through them.
class VesselList {
public:
    using Owned = std::vector<std::unique_ptr<SimVessel>>;

    class Iterator {
    public:
        explicit Iterator(Owned::const_iterator at) : at(at) {}
        const VesselRecord &operator*() const;
        Iterator &operator++() {
            ++at;
            return *this;
        }
        bool operator==(const Iterator &other) const { return at == other.at; }
        bool operator!=(const Iterator &other) const { return at != other.at; }

    private:
        Owned::const_iterator at;
    };

    explicit VesselList(const Owned &owned) : owned(&owned) {}
    Iterator begin() const { return Iterator(owned->begin()); }
    Iterator end() const { return Iterator(owned->end()); }
    std::size_t size() const { return owned->size(); }
    bool empty() const { return owned->empty(); }
    const VesselRecord &front() const { return *begin(); }

private:
    const Owned *owned;
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
