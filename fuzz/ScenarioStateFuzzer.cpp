// A vessel's scenario block of arbitrary text, handed line by line through the host's line reader
// to a new Brevlet's clbkLoadStateEx, with the host's default parser behind it. Besides the
// sanitizers' checks: the remaining lifetime comes out as an independent reading of the block
// gives it, and the state that the vessel then saves loads back into a new vessel unchanged.
#include "fuzz/FuzzLines.h"
#include "fuzz/ReferenceNumber.h"
#include "fuzz/SameBits.h"
#include "host/ModuleEntry.h"
#include "host/Vessel.h"
#include "standin_host/interface/LineReader.h"
#include "standin_host/interface/ModuleServices.h"
#include "standin_host/interface/ScenarioWriter.h"
#include "standin_host/interface/VesselRecord.h"
#include "standin_host/outputs/RunLog.h"
#include "standin_host/text/TextOut.h"
#include "vessel/Brevlet.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <vector>

namespace {

using fuzzing::SameBits;

// The host's default parser answers through the services; no simulation is needed behind them.
struct Host {
    std::ostringstream logText;
    standin::RunLog log{logText, 1.0};
    standin::ModuleServices services{log, "fuzz.scn"};
};

bool IsLifetimeItem(const std::string &line) {
    static const char key[] = "lifetime";
    if (line.size() < sizeof key - 1) {
        return false;
    }
    for (std::size_t i = 0; i + 1 < sizeof key; ++i) {
        const char c = line[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c) != key[i]) {
            return false;
        }
    }
    return true;
}

double ExpectedLifetime(const std::vector<std::string> &lines, double initial) {
    double value = initial;
    for (const std::string &text : lines) {
        if (IsLifetimeItem(text)) {
            if (const auto number = fuzzing::ReadReferenceNumber(text.c_str() + 8)) {
                value = number->value;
            }
        }
    }
    return value;
}

struct Loaded {
    VESSEL *vessel;
    standin::VesselStatus status;
};

Loaded Load(standin::VesselRecord &record, const std::vector<std::string> &lines) {
    Loaded loaded{ovcInit(&record, 1), standin::VesselStatus()};
    if (loaded.vessel == nullptr) {
        std::abort();
    }
    static const std::string fileName = "fuzz.scn";
    std::string buffer;
    const standin::SourceLines numbered = fuzzing::Numbered(lines);
    standin::LineReader reader(fileName, numbered, buffer);
    loaded.status.source = &reader;
    static_cast<VESSEL2 *>(loaded.vessel)->clbkLoadStateEx(&reader, &loaded.status);
    loaded.status.source = nullptr; // the reader goes here

    return loaded;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // The host warns about every line it does not understand; arbitrary text is full of them.
    std::cerr.rdbuf(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static Host host;
    std::vector<std::string> lines;
    if (!fuzzing::SplitLines(data, size, lines)) {
        return 0;
    }

    standin::VesselRecord record;
    const Loaded first = Load(record, lines);
    const double lifetime = static_cast<Brevlet *>(first.vessel)->GetLifetime();
    if (!SameBits(lifetime, ExpectedLifetime(lines, 0.0))) {
        std::abort();
    }

    // Save the vessel as the host does and load the saved block into a new one.
    record.position = first.status.position;
    record.velocity = first.status.velocity;
    standin::StringOut block;
    standin::ScenarioWriter writer(block);
    static_cast<VESSEL2 *>(first.vessel)->clbkSaveState(&writer);
    ovcExit(first.vessel);
    // The block's lines as a scenario holds them, each indented by two blanks.
    std::vector<std::string> saved;
    std::istringstream text(block.Text());
    for (std::string line; std::getline(text, line);) {
        saved.push_back(line.substr(std::min<std::size_t>(2, line.size())));
    }
    standin::VesselRecord copy;
    const Loaded second = Load(copy, saved);
    // Every lifetime is saved, 0 and -0 included, so the new vessel goes on with the same bits.
    const double reloaded = static_cast<Brevlet *>(second.vessel)->GetLifetime();
    if (!SameBits(reloaded, lifetime) || !SameBits(second.status.position, first.status.position) ||
        !SameBits(second.status.velocity, first.status.velocity)) {
        std::abort();
    }
    ovcExit(second.vessel);
    return 0;
}
