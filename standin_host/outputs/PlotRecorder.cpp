#include "standin_host/outputs/PlotRecorder.h"

#include "standin_host/interface/VesselRecord.h"
#include "standin_host/modules/VesselClasses.h"
#include "standin_host/simulation/CameraDistance.h"
#include "standin_host/simulation/RunView.h"
#include "standin_host/text/AsciiCase.h"
#include "standin_host/text/NumberText.h"
#include "standin_host/text/TextLines.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace standin {
namespace {

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The camera distance limit that the picture draws for a class: the number of the last line of
// its class configuration that reads "MaxCamDistance = <number>", the key in any case and a ';'
// starting a comment, as the host reads the Module line. The host does not know how a module
// reads the file: a line that only a module takes ("MaxCamDistance = 1000m") draws no limit. A
// limit of zero or less culls nothing: it is not drawn.
bool ClassDistanceLimit(const VesselClass &vesselClass, double &limit) {
    bool found = false;
    TextLines lines(vesselClass.config.text);
    for (std::string_view line; lines.Next(line);) {
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos ||
            !EqualsIgnoringAsciiCase(Trim(line.substr(0, equals)), "MaxCamDistance")) {
            continue;
        }
        const std::string_view text = line.substr(equals + 1);
        double value = 0.0;
        if (ParseFiniteNumber(Trim(text.substr(0, text.find(';'))), value)) {
            limit = value;
            found = true;
        }
    }
    return found && limit > 0.0;
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
