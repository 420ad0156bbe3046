// The run log: one line for each thing that happens in the run, stamped with the simulation time,
// and the warnings about the run's input, which go to a stream of their own.
#pragma once

#include "standin_host/interface/LogSink.h"

#include <cstdint>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace standin {

class ProgressLine;

class RunLog final : public LogSink {
public:
    // Times are printed with enough decimals to tell the steps of `stepLength` apart.
    RunLog(std::ostream &out, double stepLength, std::ostream &warnings = std::cerr);

    void Line(double simTime, const std::string &text, Entry entry = Entry::Event) override;

    // A quiet log keeps only the files written and the problems.
    void SetQuiet(bool on) { quiet = on; }

    // "<file>:<line>: warning: <text>", each line written whole at once. Of one kind (the text
    // before its first ": "), the first `shownPerKind` are written and the rest counted; the count
    // is summed up in one line before the next log line, or at the end:
    // "<file>: warning: ... and 9,999,990 more of these: scenario line not understood".
    void Warning(const std::string &file, int line, const std::string &text) override;

    ~RunLog();
    RunLog(const RunLog &) = delete;
    RunLog &operator=(const RunLog &) = delete;

    // A progress line on the same terminal, taken away before each line is written.
    void ShareTerminalWith(ProgressLine *progressLine) { progress = progressLine; }

    // True when a line could not be written in full (a full disk, a closed pipe): the run goes
    // on, and its exit status says so at the end.
    bool WriteFailed();

    // Writes the lines held so far. Lines are held, whole, and written together: few writes for
    // a long log. Only a log on the program's standard output, into a file or a pipe, holds lines;
    // and even there the files written, the problems, and every line once a signal has come go at
    // once. A crash writes the lines held (RunInterrupt.h), so that none is lost.
    void Flush();

private:
    static constexpr unsigned long long shownPerKind = 10;
    // Writes the sums of the warnings held back so far.
    void SumUpWarnings();

    std::ostream &out;
    std::ostream &warnings;
    int decimals;
    ProgressLine *progress = nullptr;
    bool quiet = false;
    std::string line; // reused from line to line
    // "[t=...] " for the time whose bits are stampTimeBits: the lines of one time, such as a
    // million vessels created at the start, share it, formatted once.
    std::string stamp;
    std::uint64_t stampTimeBits = 0;
    void Hold(const std::string &text);
    // "<file><where><text>", escaped but for `where`, written whole at once.
    void WriteWarning(const std::string &file, const std::string &where, std::string_view text);
    // Whole lines not yet written, in storage that never moves, for the crash handler to write.
    std::unique_ptr<char[]> held;
    volatile std::size_t heldCount = 0;
    bool eachLineAtOnce;
    struct WarningKind {
        unsigned long long count = 0;
        unsigned long long heldBack = 0; // not yet summed up
        std::string file;                // of the first one held back
    };
    std::map<std::string, WarningKind, std::less<>> kinds;
    bool holding = false; // some warning is held back
};

} // namespace standin
