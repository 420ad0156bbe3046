#include "standin_host/outputs/RunLog.h"

#include "standin_host/outputs/ProgressLine.h"
#include "standin_host/platform/Process.h"
#include "standin_host/platform/RunInterrupt.h"
#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"

#include <atomic>
#include <cstring>
#include <string_view>

namespace standin {

namespace {

// Lines held before they are written together: few writes for a long log.
constexpr std::size_t heldBytes = 32768;
// The most that a write to a pipe takes at once, or not at all (PIPE_BUF on Linux).
constexpr std::size_t wholeInAPipe = 4096;

} // namespace

RunLog::RunLog(std::ostream &out, double stepLength, std::ostream &warnings)
    : out(out), warnings(warnings), decimals(DecimalsToTellApart(stepLength, 3)),
      held(new char[heldBytes]),
      // Only the program's own standard output, into a file or a pipe, holds its lines.
      eachLineAtOnce(&out == &warnings || out.rdbuf() != std::cout.rdbuf() ||
                     OutputStreamIsTerminal()) {
    if (!eachLineAtOnce) {
        HoldLinesForCrash(1, held.get(), &heldCount);
    }
}

RunLog::~RunLog() {
    try {
        Flush();
        SumUpWarnings();
    } catch (...) { // out of memory for the sum-up line: it is lost, the host is not
    }
    if (!eachLineAtOnce) {
        HoldLinesForCrash(-1, nullptr, nullptr);
    }
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
    Hold(line);
    if (eachLineAtOnce || progress != nullptr || entry != Entry::Event ||
        RunInterruptSignal() != 0) {
        Flush();
    }
}

void RunLog::Hold(const std::string &text) {
    if (text.size() > heldBytes - heldCount) {
        Flush();
    }
    if (text.size() > heldBytes) {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        return;
    }
    std::memcpy(held.get() + heldCount, text.data(), text.size());
    // Counted once copied: a crash in between writes the lines before it.
    std::atomic_signal_fence(std::memory_order_seq_cst);
    heldCount = heldCount + text.size();
}

void RunLog::Flush() {
    if (heldCount == 0) {
        return;
    }
    // In pieces of whole lines that a pipe takes whole or not at all, so that a second signal,
    // which ends the host inside a write to a reader that does not read, leaves whole lines.
    for (std::string_view rest(held.get(), heldCount); !rest.empty();) {
        std::size_t lineEnd = rest.rfind('\n', wholeInAPipe - 1);
        if (lineEnd == std::string_view::npos) { // a line longer than a piece
            lineEnd = rest.find('\n');
        }
        out.write(rest.data(), static_cast<std::streamsize>(lineEnd + 1));
        out.flush();
        rest.remove_prefix(lineEnd + 1);
    }
    heldCount = 0;
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
    WriteWarning(file, ":" + std::to_string(lineNumber) + ": warning: ", text);
}

void RunLog::WriteWarning(const std::string &file, const std::string &where,
                          std::string_view text) {
    if (progress != nullptr) {
        progress->Clear();
    }
    std::string whole = Escaped(file) + where;
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
        WriteWarning(
            counted.file,
            ": warning: ... and " + GroupedDigits(counted.heldBack) + " more of these: ", kind);
        counted.heldBack = 0;
    }
}

bool RunLog::WriteFailed() {
    Flush();
    out.flush();
    return !out;
}

} // namespace standin
