// The run log: one line for each thing that happens in the run, stamped with the simulation time,
// and the warnings about the run's input, which go to a stream of their own.
#pragma once

#include "standin_host/interface/LogSink.h"

#include <iostream>
#include <ostream>
#include <string>

namespace standin {

class ProgressLine;

class RunLog final : public LogSink {
public:
    // Times are printed with enough decimals to tell the steps of `stepLength` apart.
    RunLog(std::ostream &out, double stepLength, std::ostream &warnings = std::cerr);

    void Line(double simTime, const std::string &text, Entry entry = Entry::Event) override;

    // A quiet log keeps only the files written and the problems.
    void SetQuiet(bool on) { quiet = on; }

    // "<file>:<line>: warning: <text>"
    void Warning(const std::string &file, int line, const std::string &text) override;

    // A progress line on the same terminal, taken away before each line is written.
    void ShareTerminalWith(ProgressLine *line) { progress = line; }

    // True when a line could not be written in full (a full disk, a closed pipe): the run goes
    // on, and its exit status says so at the end.
    bool WriteFailed();

private:
    std::ostream &out;
    std::ostream &warnings;
    int decimals;
    ProgressLine *progress = nullptr;
    bool quiet = false;
    std::string line; // reused from line to line
};

} // namespace standin
