// What the run's picture needs, kept while the run goes, in memory bounded whatever the number of
// vessels: a lane (lifetime, camera target intervals, distance samples) for each of the first
// vessels created, and for the whole run the number of vessels alive and the spread of their
// distances to the camera, both in a fixed number of time columns.
#pragma once

#include "standin_host/simulation/RunObserver.h"

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace standin {

struct PlotSample {
    double time;
    double distance;
};

struct PlotInterval {
    double from;
    double to;
};

struct PlotLane {
    std::string name;
    double created = 0.0;
    std::optional<double> deleted;
    std::vector<PlotInterval> targeted; // the camera's target intervals, in order
    std::vector<PlotSample> distance;   // at most one per column, and the deletion
    int lastColumn = -1;
    const VesselRecord *vessel = nullptr; // while it lives
};

// One time column of the run: the most vessels alive in it, and the distances of the vessels alive
// at the first step that fell in it.
struct PlotColumn {
    std::size_t aliveMax = 0;
    bool hasAlive = false;
    double distanceMin = 0.0;
    double distanceMax = 0.0;
    double distanceSum = 0.0;
    std::size_t distanceCount = 0;
};

// A distance limit that a vessel class's configuration sets ("MaxCamDistance = 1000").
struct PlotLimit {
    std::string className;
    double distance = 0.0;
};

struct PlotRecord {
    std::string scenarioName;
    double start = 0.0;
    double end = 0.0;     // the time axis's end: where the run was meant to end, or later
    double stopped = 0.0; // where the run stopped: at its end, or before it when interrupted
    double step = 0.0;
    std::size_t vesselsCreated = 0;
    std::size_t vesselsDeleted = 0;
    std::vector<PlotLane> lanes; // the first MaxLanes vessels created
    std::vector<PlotColumn> columns;
    std::vector<PlotLimit> limits;
};

class PlotRecorder : public RunObserver {
public:
    // Lanes give way to the count of vessels alive above this many vessels.
    static constexpr std::size_t MaxLanes = 40;
    // The time axis's resolution: about one column per two pixels of the picture.
    static constexpr int Columns = 480;

    // `plannedEnd`: where the run is meant to end, which fixes the time columns.
    PlotRecorder(std::string scenarioName, double start, double plannedEnd, double step);

    void VesselCreated(const RunView &run, const VesselRecord &vessel) override;
    void CameraTargeted(const RunView &run, const VesselRecord *target) override;
    void StepDone(const RunView &run, const StepFacts &facts) override;
    void RunEnded(const RunView &run) override;

    const PlotRecord &Record() const { return record; }

private:
    int ColumnOf(double time) const;
    void NoteAlive(double time, std::size_t alive);
    void EndTargetInterval(double time);

    PlotRecord record;
    std::set<std::string> classesSeen;
    double plannedEnd;
    int lastDistanceColumn = -1;
    PlotLane *targetLane = nullptr; // the lane whose target interval is open
};

} // namespace standin
