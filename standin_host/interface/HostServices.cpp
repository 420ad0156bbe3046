// The host interface as the stand-in host implements it: the VESSEL services, the default
// behaviour of the VESSEL2 callbacks, and the oapi functions. Modules reach these through the
// host executable's exported symbols; they in turn reach the run through the active
// ModuleServices, and a vessel's own record through its handle.
#include "host/HostServices.h"
#include "host/Vessel.h"
#include "standin_host/interface/LineReader.h"
#include "standin_host/interface/ModuleServices.h"
#include "standin_host/interface/ScenarioWriter.h"
#include "standin_host/interface/VesselRecord.h"
#include "standin_host/text/NumberText.h"

using standin::HostCallCounts;
using standin::ModuleServices;
using standin::RecordOf;

// ---- VESSEL ----

VESSEL::VESSEL(ObjectHandle vesselHandle, int flightModel)
    : vesselHandle(vesselHandle), flightModel(flightModel) {}

ObjectHandle VESSEL::GetHandle() const {
    return vesselHandle;
}

void VESSEL::SetEnableFocus(bool enable) const {
    RecordOf(vesselHandle).focusEnabled = enable;
}

void VESSEL::GetGlobalPos(VECTOR3 &pos) const {
    ModuleServices::Called(&HostCallCounts::vesselPosition);
    pos = RecordOf(vesselHandle).position;
}

void VESSEL::SaveDefaultState(FileHandle scn) const {
    auto &writer = *static_cast<standin::ScenarioWriter *>(scn);
    const standin::VesselRecord &vessel = RecordOf(vesselHandle);
    writer.WriteItem("POS", standin::VectorText(vessel.position));
    writer.WriteItem("VEL", standin::VectorText(vessel.velocity));
}

void VESSEL::ParseScenarioLineEx(char *line, void *status) const {
    ModuleServices::Active()->ParseDefaultLine(line, *static_cast<standin::VesselStatus *>(status));
}

void VESSEL::DefSetStateEx(const void *status) const {
    const auto &record = *static_cast<const standin::VesselStatus *>(status);
    ModuleServices::Active()->SetState(vesselHandle, record.position, record.velocity);
}

// ---- VESSEL2: the default behaviour of every callback ----

VESSEL2::VESSEL2(ObjectHandle vesselHandle, int flightModel) : VESSEL(vesselHandle, flightModel) {}

void VESSEL2::clbkSetClassCaps(FileHandle /*cfg*/) {}
void VESSEL2::clbkSaveState(FileHandle scn) {
    SaveDefaultState(scn);
}
void VESSEL2::clbkLoadStateEx(FileHandle scn, void *status) {
    char *line = nullptr;
    while (oapiReadScenario_nextline(scn, line)) {
        ParseScenarioLineEx(line, status);
    }
}
void VESSEL2::clbkSetStateEx(const void *status) {
    DefSetStateEx(status);
}
void VESSEL2::clbkPostCreation() {}
void VESSEL2::clbkFocusChanged(bool, ObjectHandle, ObjectHandle) {}
void VESSEL2::clbkPreStep(double, double, double) {}
void VESSEL2::clbkPostStep(double, double, double) {}
bool VESSEL2::clbkPlaybackEvent(double, double, const char *, const char *) {
    return false;
}
void VESSEL2::clbkVisualCreated(void *, int) {}
void VESSEL2::clbkVisualDestroyed(void *, int) {}
void VESSEL2::clbkDrawHUD(int, const HUDPAINTSPEC *, HDC) {}
void VESSEL2::clbkRCSMode(int) {}
void VESSEL2::clbkADCtrlMode(DWORD) {}
void VESSEL2::clbkHUDMode(int) {}
void VESSEL2::clbkMFDMode(int, int) {}
void VESSEL2::clbkNavMode(int, bool) {}
void VESSEL2::clbkDockEvent(int, void *) {}
void VESSEL2::clbkAnimate(double) {}
int VESSEL2::clbkConsumeDirectKey(char *) {
    return 0;
}
int VESSEL2::clbkConsumeBufferedKey(DWORD, bool, char *) {
    return 0;
}
bool VESSEL2::clbkLoadGenericCockpit() {
    return false;
}
bool VESSEL2::clbkLoadPanel(int) {
    return false;
}
bool VESSEL2::clbkPanelMouseEvent(int, int, int, int) {
    return false;
}
bool VESSEL2::clbkPanelRedrawEvent(int, int, void *) {
    return false;
}
bool VESSEL2::clbkLoadVC(int) {
    return false;
}
bool VESSEL2::clbkVCMouseEvent(int, int, VECTOR3 &) {
    return false;
}
bool VESSEL2::clbkVCRedrawEvent(int, int, void *) {
    return false;
}

// ---- oapi functions ----

bool oapiReadScenario_nextline(FileHandle file, char *&line) {
    return static_cast<standin::LineReader *>(file)->Next(line);
}

void oapiWriteScenario_float(FileHandle scn, char *item, double value) {
    static_cast<standin::ScenarioWriter *>(scn)->WriteItem(item, standin::FormatExact(value));
}

ObjectHandle oapiCameraTarget() {
    const standin::VesselRecord *target =
        ModuleServices::Called(&HostCallCounts::cameraTarget).CameraTarget();
    return target != nullptr ? standin::HandleOf(*target) : nullptr;
}

void oapiCameraGlobalPos(VECTOR3 *pos) {
    *pos = ModuleServices::Called(&HostCallCounts::cameraPosition).CameraPosition();
}

char *oapiDebugString() {
    return ModuleServices::Called(&HostCallCounts::debugString).HandOutDebugString();
}

bool oapiDeleteVessel(ObjectHandle vessel, ObjectHandle /*newFocus*/) {
    return ModuleServices::Called(&HostCallCounts::deletionRequests).RequestDeletion(vessel);
}
