// Brevlet: a short-lived, passive vessel. It refuses the input focus, counts a lifetime down in
// simulation time, is culled when the camera is farther away than a set distance (unless the
// camera targets it), and asks the host to delete it when either limit is reached.
#pragma once

#include "host/Vessel.h"

class Brevlet : public VESSEL2 {
public:
    Brevlet(ObjectHandle handle, int hostValue);
    virtual ~Brevlet();

    Brevlet(const Brevlet &) = delete;
    Brevlet &operator=(const Brevlet &) = delete;

    // Refuses the focus and reads LifeTime and MaxCamDistance from the class configuration.
    void clbkSetClassCaps(FileHandle cfg) override;

    // Keeps the remaining lifetime in scenarios as LIFETIME; everything else is the host's.
    void clbkSaveState(FileHandle scn) override;
    void clbkLoadStateEx(FileHandle scn, void *status) override;
    void clbkSetStateEx(const void *status) override;

    // Counts the lifetime down, culls by camera distance, shows the debug line while targeted.
    void clbkPostStep(double simTime, double stepLength, double mjd) override;

    double GetLifetime() const { return lifetime; }
    double GetMaxCamDistance() const { return maxCamDistance; }

private:
    // Whether the camera is farther than maxCamDistance, decided where the step's sum of squares
    // may have overflowed or underflowed.
    bool FartherThanLimit(VECTOR3 camera, VECTOR3 own) const;

    // Remaining lifetime in seconds; zero or less means no lifetime limit.
    double lifetime;
    // Distance limit to the camera in metres; zero or less disables the cull.
    double maxCamDistance;
};
