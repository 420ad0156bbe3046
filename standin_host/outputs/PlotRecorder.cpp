#include "standin_host/outputs/PlotRecorder.h"

#include "standin_host/interface/LineReader.h"
#include "standin_host/interface/VesselRecord.h"
#include "standin_host/modules/VesselClasses.h"
#include "standin_host/simulation/CameraDistance.h"
#include "standin_host/simulation/RunView.h"
#include "vessel/ClassConfig.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace standin {
namespace {

// The class's camera distance limit, read from its class configuration by the module's own
// routine over the lines the module is handed. A limit of zero or less culls nothing, nor does an
// infinite one: neither is drawn.
bool ClassDistanceLimit(const VesselClass &vesselClass, double &limit) {
    brevlet::ClassSettings settings;
    std::string buffer;
    LineReader reader(vesselClass.config.name, vesselClass.configLines, buffer);
    for (char *line = nullptr; reader.Next(line);) {
        brevlet::ReadClassConfigLine(line, settings);
    }
    limit = settings.maxCamDistance;
    return limit > 0.0 && std::isfinite(limit);
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
    column.aliveMin = column.hasAlive ? std::min(column.aliveMin, alive) : alive;
    column.aliveMax = column.hasAlive ? std::max(column.aliveMax, alive) : alive;
    column.hasAlive = true;
}

void PlotRecorder::NoteClass(const VesselRecord &vessel) {
    const std::string &name = vessel.vesselClass->name;
    if (std::find(record.classesSeen.begin(), record.classesSeen.end(), name) !=
        record.classesSeen.end()) {
        return;
    }
    record.classesSeen.push_back(name);
    double limit = 0.0;
    if (ClassDistanceLimit(*vessel.vesselClass, limit)) {
        record.limits.push_back(PlotLimit{name, limit});
    }
}

void PlotRecorder::VesselCreated(const RunView &run, const VesselRecord &vessel) {
    ++record.vesselsCreated;
    NoteAlive(run.Time(), run.Vessels().size() - run.PendingDeletions());
    NoteClass(vessel);
    if (record.lanes.size() == MaxLanes) {
        return;
    }
    PlotLane lane;
    lane.name = vessel.name;
    lane.created = run.Time();
    lane.vessel = &vessel;
    lane.lastColumn = ColumnOf(run.Time());
    lane.distance.push_back(PlotSample{run.Time(), CameraDistance(vessel, run.CameraPosition())});
    record.lanes.push_back(std::move(lane));
}

void PlotRecorder::CameraTargeted(const RunView &run, const VesselRecord *target) {
    if (targetLane != nullptr) {
        targetLane->targeted.back().to = run.Time();
        targetLane = nullptr;
    }
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
            lane.wasDeleted = true;
            lane.vessel = nullptr; // gone after this step
        }
    }
}

void PlotRecorder::RunEnded(const RunView &run) {
    record.end = std::max(plannedEnd, run.Time());
    record.stopped = run.Time();
    if (targetLane != nullptr) {
        targetLane->targeted.back().to = run.Time();
        targetLane = nullptr;
    }
    for (PlotLane &lane : record.lanes) {
        lane.vessel = nullptr;
    }
}

} // namespace standin
