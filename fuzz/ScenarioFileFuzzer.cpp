// The stand-in host's scenario reader on arbitrary files: reading and parsing never misbehave,
// and a scenario that parses, once written out again, reads back as the same scenario and writes
// out as the same text.
#include "fuzz/SameBits.h"
#include "standin_host/scenario/ScenarioFile.h"
#include "standin_host/scenario/TextFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

using fuzzing::SameBits;

// The input goes through a real file, so that the host's own file reader is fuzzed too; a folder
// in memory, where there is one, keeps that fast.
const std::string &ScratchPath() {
    static const std::string path = [] {
        std::error_code ec;
        const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm", ec)
                                                 ? std::filesystem::path("/dev/shm")
                                                 : std::filesystem::temp_directory_path();
        return (folder / ("brevlet-fuzz-scenario-" + std::to_string(getpid()) + ".scn")).string();
    }();
    return path;
}

void WriteScratch(const char *data, std::size_t size) {
    std::FILE *out = std::fopen(ScratchPath().c_str(), "wb");
    if (out == nullptr || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0) {
        std::perror(ScratchPath().c_str());
        std::abort();
    }
}

// A block's lines, without their numbers.
std::vector<std::string_view> TextsOf(const standin::SourceLines &block) {
    std::vector<std::string_view> texts;
    standin::SourceLines::Cursor cursor(block);
    std::string_view line;
    for (int number = 0; cursor.Next(line, number);) {
        texts.push_back(line);
    }
    return texts;
}

// Equal in everything but the line numbers, which differ between a file and its rewrite.
bool Same(const standin::ScenarioDescription &a, const standin::ScenarioDescription &b) {
    if (a.fileName != b.fileName || !SameBits(a.time, b.time) || !SameBits(a.step, b.step) ||
        !SameBits(a.end, b.end) || !SameBits(a.cameraPosition, b.cameraPosition) ||
        !SameBits(a.cameraVelocity, b.cameraVelocity) || a.cameraTarget != b.cameraTarget ||
        a.vessels.size() != b.vessels.size() || a.events.size() != b.events.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.vessels.size(); ++i) {
        const standin::VesselEntry &va = a.vessels[i];
        const standin::VesselEntry &vb = b.vessels[i];
        if (va.name != vb.name || va.className != vb.className ||
            TextsOf(va.block) != TextsOf(vb.block)) {
            return false;
        }
    }
    for (std::size_t i = 0; i < a.events.size(); ++i) {
        const standin::ScenarioEvent &ea = a.events[i];
        const standin::ScenarioEvent &eb = b.events[i];
        if (!SameBits(ea.time, eb.time) || ea.kind != eb.kind || !SameBits(ea.vector, eb.vector) ||
            ea.name != eb.name || (ea.spawn == nullptr) != (eb.spawn == nullptr)) {
            return false;
        }
        if (ea.spawn != nullptr && (ea.spawn->className != eb.spawn->className ||
                                    !SameBits(ea.spawn->position, eb.spawn->position) ||
                                    !SameBits(ea.spawn->velocity, eb.spawn->velocity))) {
            return false;
        }
    }
    return true;
}

// Writes `text` to the scratch file and reads and parses it there; the file is gone afterwards.
bool ReadAndParse(const char *text, std::size_t size, standin::ScenarioDescription &scenario,
                  std::string &error) {
    WriteScratch(text, size);
    standin::TextFile file;
    const bool read = standin::ReadTextFile(ScratchPath(), file, error);
    std::remove(ScratchPath().c_str());
    return read && standin::ParseScenario(file, scenario, error);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    standin::ScenarioDescription first;
    std::string error;
    if (!ReadAndParse(reinterpret_cast<const char *>(data), size, first, error)) {
        if (error.empty()) {
            std::abort(); // a refusal must say why
        }
        return 0;
    }

    const std::string written = standin::FormatScenario(first);
    standin::ScenarioDescription second;
    if (!ReadAndParse(written.data(), written.size(), second, error)) {
        std::fprintf(stderr, "a written scenario does not read back: %s\n", error.c_str());
        std::abort();
    }
    if (!Same(first, second) || standin::FormatScenario(second) != written) {
        std::fprintf(stderr, "a written scenario reads back as another one\n");
        std::abort();
    }
    return 0;
}
