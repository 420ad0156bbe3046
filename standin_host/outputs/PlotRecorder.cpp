#include "standin_host/outputs/PlotRecorder.h"

#include "standin_host/interface/VesselRecord.h"
#include "standin_host/modules/VesselClasses.h"
#include "standin_host/simulation/CameraDistance.h"
#include "standin_host/simulation/RunView.h"
#include "standin_host/text/NumberText.h"
#include "standin_host/text/TextLines.h"

#include <algorithm>
#include <cmath>

namespace standin {
namespace {

// The camera distance limit that the picture draws for a class: the last MaxCamDistance value of
// its class configuration that is a number, read as the host reads the Module line. The host does
// not know how a module reads the file: a line that only a module takes ("MaxCamDistance =
// 1000m") draws no limit. A limit of zero or less culls nothing: it is not drawn.
double ClassDistanceLimit(const VesselClass &vesselClass) {
    double limit = 0.0;
    ForEachConfigValue(vesselClass.config.text, "MaxCamDistance", [&](std::string_view value, int) {
        ParseFiniteNumber(value, limit); // what is not a number leaves `limit` as it was
        return true;
    });
    return limit;
}

} // namespace

PlotRecorder::PlotRecorder(std::string scenarioName, double start, double plannedEnd, double step)
    : plannedEnd(plannedEnd) {
    record.scenarioName = std::move(scenarioName);
    record.start = start;
    record.end = plannedEnd;
    record.step = step;
    record.columns.resize(Columns);
    record.lanes.reserve(MaxLanes);
}

int PlotRecorder::ColumnOf(double time) const {
    const double span = plannedEnd - record.start;
    if (!(span > 0.0)) {
        return 0;
    }
    const double column = std::floor((time - record.start) / span * Columns);
    return static_cast<int>(std::clamp(column, 0.0, double(Columns - 1)));
}

void PlotRecorder::NoteAlive(double time, std::size_t alive) {
    PlotColumn &column = record.columns[static_cast<std::size_t>(ColumnOf(time))];
    column.aliveMax = std::max(column.aliveMax, alive);
    column.hasAlive = true;
}

void PlotRecorder::EndTargetInterval(double time) {
    if (targetLane != nullptr) {
        targetLane->targeted.back().to = time;
        targetLane = nullptr;
    }
}

void PlotRecorder::VesselCreated(const RunView &run, const VesselRecord &vessel) {
    ++record.vesselsCreated;
    NoteAlive(run.Time(), run.Vessels().size() - run.PendingDeletions());
    // A class's limit is read once, with its first vessel.
    if (const VesselClass &vesselClass = *vessel.vesselClass;
        classesSeen.insert(vesselClass.name).second) {
        if (const double limit = ClassDistanceLimit(vesselClass); limit > 0.0) {
            record.limits.push_back(PlotLimit{vesselClass.name, limit});
        }
    }
    if (record.lanes.size() == MaxLanes) {
        return;
    }
    PlotLane &lane = record.lanes.emplace_back();
    lane.name = vessel.name;
    lane.created = run.Time();
    lane.vessel = &vessel;
    lane.lastColumn = ColumnOf(run.Time());
    lane.distance.push_back(PlotSample{run.Time(), CameraDistance(vessel, run.CameraPosition())});
}

void PlotRecorder::CameraTargeted(const RunView &run, const VesselRecord *target) {
    EndTargetInterval(run.Time());
    for (PlotLane &lane : record.lanes) {
        if (target != nullptr && lane.vessel == target) {
            lane.targeted.push_back(PlotInterval{run.Time(), run.Time()});
            targetLane = &lane;
        }
    }
}

void PlotRecorder::StepDone(const RunView &run, const StepFacts &facts) {
    const std::size_t deletions = run.PendingDeletions();
    record.vesselsDeleted += deletions;
    NoteAlive(facts.time, run.Vessels().size() - deletions);
    const int column = ColumnOf(facts.time);
    const VECTOR3 &camera = run.CameraPosition();

    // The spread of distances, from the first step of each column.
    if (column != lastDistanceColumn) {
        lastDistanceColumn = column;
        PlotColumn &spread = record.columns[static_cast<std::size_t>(column)];
        for (const VesselRecord &vessel : run.Vessels()) {
            const double distance = CameraDistance(vessel, camera);
            spread.distanceMin =
                spread.distanceCount == 0 ? distance : std::min(spread.distanceMin, distance);
            spread.distanceMax = std::max(spread.distanceMax, distance);
            spread.distanceSum += distance;
            ++spread.distanceCount;
        }
    }

    for (PlotLane &lane : record.lanes) {
        if (lane.vessel == nullptr) {
            continue;
        }
        const bool deleted = lane.vessel->deletionRequested;
        if (column != lane.lastColumn || deleted) {
            lane.lastColumn = column;
            lane.distance.push_back(PlotSample{facts.time, CameraDistance(*lane.vessel, camera)});
        }
        if (deleted) {
            lane.deleted = facts.time;
            lane.vessel = nullptr; // gone after this step
        }
    }
}

void PlotRecorder::RunEnded(const RunView &run) {
    record.end = std::max(plannedEnd, run.Time());
    record.stopped = run.Time();
    EndTargetInterval(run.Time());
    for (PlotLane &lane : record.lanes) {
        lane.vessel = nullptr;
    }
}

} // namespace standin
