#include "standin_host/outputs/RunLog.h"

#include "standin_host/outputs/ProgressLine.h"
#include "standin_host/platform/RunInterrupt.h"
#include "standin_host/platform/TerminalWidth.h"
#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"

#include <cstring>

namespace standin {

namespace {

// Lines held before they are written together: few writes for a long log.
constexpr std::size_t heldBytes = 32768;

} // namespace

RunLog::RunLog(std::ostream &out, double stepLength, std::ostream &warnings)
    : out(out), warnings(warnings), decimals(DecimalsToTellApart(stepLength, 3)),
      // Only the program's own standard output, into a file or a pipe, holds its lines.
      eachLineAtOnce(&out == &warnings || out.rdbuf() != std::cout.rdbuf() ||
                     OutputStreamIsTerminal()) {}

RunLog::~RunLog() {
    Flush();
    SumUpWarnings();
}

void RunLog::Line(double simTime, const std::string &text, Entry entry) {
    if (holding) {
        SumUpWarnings();
    }
    if (quiet && entry == Entry::Event) {
        return;
    }
    if (progress != nullptr) {
        progress->Clear();
    }
    std::uint64_t timeBits = 0; // -0 and 0 are told apart, as the stamp tells them
    std::memcpy(&timeBits, &simTime, sizeof timeBits);
    if (stamp.empty() || timeBits != stampTimeBits) {
        stamp.assign("[t=").append(FormatFixed(simTime, decimals)).append("] ");
        stampTimeBits = timeBits;
    }
    line.assign(stamp);
    AppendEscaped(line, text);
    line += '\n';
    pending += line;
    if (eachLineAtOnce || progress != nullptr || entry != Entry::Event ||
        pending.size() >= heldBytes || RunInterruptSignal() != 0) {
        Flush();
    }
}

void RunLog::Flush() {
    if (pending.empty()) {
        return;
    }
    HoldSecondSignal();
    out.write(pending.data(), static_cast<std::streamsize>(pending.size()));
    out.flush();
    ReleaseSecondSignal();
    pending.clear();
}

void RunLog::Warning(const std::string &file, int lineNumber, const std::string &text) {
    const std::string_view kind = std::string_view(text).substr(0, text.find(": "));
    auto found = kinds.find(kind);
    if (found == kinds.end()) {
        found = kinds.emplace(std::string(kind), WarningKind()).first;
    }
    WarningKind &counted = found->second;
    if (++counted.count > shownPerKind) {
        if (counted.heldBack++ == 0) {
            counted.file = file;
        }
        holding = true;
        return;
    }
    if (progress != nullptr) {
        progress->Clear();
    }
    std::string whole = Escaped(file);
    whole.append(":").append(std::to_string(lineNumber)).append(": warning: ");
    AppendEscaped(whole, text);
    whole += '\n';
    warnings.write(whole.data(), static_cast<std::streamsize>(whole.size()));
}

void RunLog::SumUpWarnings() {
    holding = false;
    for (auto &[kind, counted] : kinds) {
        if (counted.heldBack == 0) {
            continue;
        }
        if (progress != nullptr) {
            progress->Clear();
        }
        std::string whole = Escaped(counted.file);
        whole.append(": warning: ... and ").append(GroupedDigits(counted.heldBack));
        whole.append(" more of these: ");
        AppendEscaped(whole, kind);
        whole += '\n';
        warnings.write(whole.data(), static_cast<std::streamsize>(whole.size()));
        counted.heldBack = 0;
    }
}

bool RunLog::WriteFailed() {
    Flush();
    out.flush();
    return !out;
}

} // namespace standin
