// The plan of a run's files, made before anything is written: every file the run reads (the
// scenario, the class configurations, the modules, the host program itself) and writes (--output,
// every SAVE, --trace, --plot), each resolved to the file itself. An output that is an input, or
// the file of another output, is refused, so that no output destroys what the run reads or
// another output's product; so is a checkpoint (a SAVE) outside the working folder, since a
// scenario may come from anyone.
#pragma once

#include "standin_host/platform/FileCalls.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace standin {

class RunFiles {
public:
    // Holds the working folder open, from which every checkpoint is reached.
    RunFiles();

    // `role` says what the file is to the run, e.g. "the scenario" or "the module of class X".
    // A file `readWholeFirst` is read whole before the first write, so that the run's checkpoints
    // may replace it: a checkpoint that names its own scenario continues.
    void AddInput(const std::string &role, const std::string &path, bool readWholeFirst = false);
    // `option` names the output as the user asked for it, e.g. "--trace"; `where` is put before
    // its messages (a SAVE's scenario line, "run.scn:7: "). Outputs of one `group` are the
    // checkpoints of the scenario: they may share a file, which they update, and each lies inside
    // the working folder. A path given again in its group is examined once.
    void AddOutput(const std::string &option, const std::string &path, const std::string &where,
                   const std::string &group = {});

    // Refuses, with a message naming both roles, an output that is an input or the file of
    // an earlier output (a device that discards everything, such as /dev/null, may take several);
    // an output on the standard error, which carries the run's messages, or on a standard output
    // that shares the standard error's file; a checkpoint that is not a file of its own inside the
    // working folder, reached from it without a link at any step; then any output that cannot be
    // written (CheckOutputFile). Writes no file but a trial file per output replaced, at once
    // removed. A signal that ends the run ends the check early, with true: the caller hears it.
    bool Check(std::string &error) const;

    // Whether an output goes to the standard output, or the standard error.
    bool WritesStandardOutput() const { return WritesStream(1); }
    bool WritesStandardError() const { return WritesStream(2); }

    // The working folder as it was when the run was planned, whatever becomes of its path.
    const Folder &WorkingFolder() const { return working; }

private:
    struct Planned {
        std::string role; // inputs: what it is; outputs: the option
        std::string path;
        std::string where;
        std::string group;
        FileFacts facts;
        bool readWholeFirst = false;
    };

    bool CheckAliases(std::string &error) const;
    bool WritesStream(int fd) const;

    std::vector<Planned> inputs;
    std::vector<Planned> outputs;
    std::unordered_map<std::string, std::size_t> groupPaths; // group + '\n' + path: output index
    Folder working;
};

} // namespace standin
