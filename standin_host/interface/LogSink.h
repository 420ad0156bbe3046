// Where the run's log lines and the warnings about its input go: the run log of a run, or whatever
// a test or a tool gives the simulation and the module services instead.
#pragma once

#include <string>

namespace standin {

class LogSink {
public:
    // What a line tells.
    enum class Entry { Event, Written, Problem };

    // One thing that happened at simulation time `simTime`.
    virtual void Line(double simTime, const std::string &text, Entry entry = Entry::Event) = 0;
    // A line of the run's input that was not understood, where it stands.
    virtual void Warning(const std::string &file, int line, const std::string &text) = 0;

protected:
    ~LogSink() = default;
};

} // namespace standin
