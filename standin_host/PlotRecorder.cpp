#include "PlotRecorder.h"

#include "CameraDistance.h"
#include "NumberText.h"
#include "Simulation.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace standin {
namespace {

bool StartsWithFolded(std::string_view text, std::string_view key) {
    if (text.size() < key.size()) {
        return false;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (fold(text[i]) != fold(key[i])) {
            return false;
        }
    }
    return true;
}

// "MaxCamDistance = <number>" in a class configuration, read the way the module reads its keys:
// at the start of the line, any ASCII case, the number after the first '='. A limit of zero or
// less culls nothing and is not drawn.
bool ClassDistanceLimit(const VesselClass &vesselClass, double &limit) {
    for (const SourceLine &line : vesselClass.config.lines) {
        const std::string_view text = line.text;
        if (!StartsWithFolded(text, "MaxCamDistance")) {
            continue;
        }
        std::string_view rest = text.substr(
            text.find('=') == std::string_view::npos ? text.size() : text.find('=') + 1);
        rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(" \t")));
        rest = rest.substr(0, rest.find_first_of(" \t;"));
        return ParseFiniteNumber(rest, limit) && limit > 0.0;
    }
    return false;
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

void PlotRecorder::NoteClass(const SimVessel &vessel) {
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

void PlotRecorder::VesselCreated(const Simulation &simulation, const SimVessel &vessel) {
    ++record.vesselsCreated;
    NoteAlive(simulation.Time(), simulation.Vessels().size() - simulation.PendingDeletions());
    NoteClass(vessel);
    if (record.lanes.size() == MaxLanes) {
        return;
    }
    PlotLane lane;
    lane.name = vessel.name;
    lane.created = simulation.Time();
    lane.vessel = &vessel;
    lane.lastColumn = ColumnOf(simulation.Time());
    lane.distance.push_back(
        PlotSample{simulation.Time(), CameraDistance(vessel, simulation.CameraPosition())});
    record.lanes.push_back(std::move(lane));
}

void PlotRecorder::CameraTargeted(const Simulation &simulation, const SimVessel *target) {
    if (targetLane != nullptr) {
        targetLane->targeted.back().to = simulation.Time();
        targetLane = nullptr;
    }
    for (PlotLane &lane : record.lanes) {
        if (target != nullptr && lane.vessel == target) {
            lane.targeted.push_back(PlotInterval{simulation.Time(), simulation.Time()});
            targetLane = &lane;
        }
    }
}

void PlotRecorder::StepDone(const Simulation &simulation, const StepFacts &facts) {
    const std::size_t deletions = simulation.PendingDeletions();
    record.vesselsDeleted += deletions;
    NoteAlive(facts.time, simulation.Vessels().size() - deletions);
    const int column = ColumnOf(facts.time);
    const VECTOR3 &camera = simulation.CameraPosition();

    // The spread of distances, from the first step of each column.
    if (column != lastDistanceColumn) {
        lastDistanceColumn = column;
        PlotColumn &spread = record.columns[static_cast<std::size_t>(column)];
        for (const std::unique_ptr<SimVessel> &vessel : simulation.Vessels()) {
            const double distance = CameraDistance(*vessel, camera);
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

void PlotRecorder::RunEnded(const Simulation &simulation) {
    record.end = std::max(plannedEnd, simulation.Time());
    record.stopped = simulation.Time();
    if (targetLane != nullptr) {
        targetLane->targeted.back().to = simulation.Time();
        targetLane = nullptr;
    }
    for (PlotLane &lane : record.lanes) {
        lane.vessel = nullptr;
    }
}

} // namespace standin
