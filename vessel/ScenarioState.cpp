// Scenario state: the remaining lifetime is kept as the item LIFETIME; every other part of the
// vessel's state is the host's default handling.
#include "host/HostServices.h"
#include "vessel/Brevlet.h"
#include "vessel/TextScan.h"

namespace {

constexpr char lifetimeItem[] = "LIFETIME";

} // namespace

void Brevlet::clbkSaveState(FileHandle scn) {
    SaveDefaultState(scn);
    // Every value is written, so that a reloaded vessel goes on exactly as it was: a block without
    // LIFETIME would take its class's lifetime instead, which restarts a countdown that was
    // switched off (0 or negative) or has just run out.
    char item[] = "LIFETIME"; // the host's writer takes a mutable key
    oapiWriteScenario_float(scn, item, lifetime);
}

void Brevlet::clbkLoadStateEx(FileHandle scn, void *status) {
    char *line = nullptr;
    while (oapiReadScenario_nextline(scn, line)) {
        if (brevlet::StartsWithKey(line, lifetimeItem)) {
            // The number follows the key directly or after white space; the line is ours alone.
            brevlet::ScanNumber(line + (sizeof lifetimeItem - 1), lifetime);
        } else {
            ParseScenarioLineEx(line, status);
        }
    }
}

void Brevlet::clbkSetStateEx(const void *status) {
    DefSetStateEx(status);
}
