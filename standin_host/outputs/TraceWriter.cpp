#include "standin_host/outputs/TraceWriter.h"

#include "standin_host/interface/VesselRecord.h"
#include "standin_host/modules/VesselClasses.h"
#include "standin_host/simulation/CameraDistance.h"
#include "standin_host/simulation/RunView.h"
#include "standin_host/text/NumberText.h"
#include "standin_host/text/TextOut.h"

#include <cstring>

namespace standin {
namespace {

// A CSV field, in quotes with its quotes doubled when it holds a separator, a quote or a line end.
void AppendField(std::string &row, const char *text) {
    if (std::strpbrk(text, ",\"\r\n") == nullptr) {
        row.append(text);
        return;
    }
    row.push_back('"');
    for (const char *c = text; *c != '\0'; ++c) {
        if (*c == '"') {
            row.push_back('"');
        }
        row.push_back(*c);
    }
    row.push_back('"');
}

} // namespace

TraceWriter::TraceWriter(TextOut &out, std::size_t every)
    : out(out), every(every == 0 ? 1 : every) {
    row.reserve(1024); // a row's storage is taken before the run, and reused from row to row
    out << "time,vessel,class,x,y,z,camera_distance,camera_target,debug_line,event\n";
}

void TraceWriter::VesselCreated(const RunView & /*run*/, const VesselRecord &vessel) {
    created.push_back(&vessel);
}

void TraceWriter::StepStarting(const RunView &run) {
    const VesselRecord *target = run.CameraTarget();
    for (const VesselRecord *vessel : created) {
        AppendRow(run.Time(), *vessel, run.CameraPosition(), vessel == target, "", "created");
    }
    created.clear();
}

void TraceWriter::StepDone(const RunView &run, const StepFacts &facts) {
    const bool sampled = ++steps % every == 0;
    if (!sampled && run.PendingDeletions() == 0) {
        return;
    }
    for (const VesselRecord &vessel : run.Vessels()) {
        if (!sampled && !vessel.deletionRequested) {
            continue;
        }
        AppendRow(facts.time, vessel, run.CameraPosition(), &vessel == facts.cameraTarget,
                  &vessel == facts.debugLineTaker ? facts.debugLine : "",
                  vessel.deletionRequested ? "deleted" : "");
    }
}

void TraceWriter::RunEnded(const RunView &run) {
    StepStarting(run); // the vessels created at the last boundary
    out.Drain();
}

void TraceWriter::AppendRow(double time, const VesselRecord &vessel, const VECTOR3 &camera,
                            bool targeted, const char *debugLine, const char *event) {
    // `out` gathers the rows into large pieces.
    const VECTOR3 &p = vessel.position;
    row.clear();
    AppendExact(row, time);
    row.push_back(',');
    AppendField(row, vessel.name.c_str());
    row.push_back(',');
    AppendField(row, vessel.vesselClass->name.c_str());
    for (const double value : {p.x, p.y, p.z, CameraDistance(vessel, camera)}) {
        row.push_back(',');
        AppendExact(row, value);
    }
    row.append(targeted ? ",1," : ",0,");
    AppendField(row, debugLine);
    row.push_back(',');
    row.append(event);
    row.push_back('\n');
    out << row;
}

} // namespace standin
