// The plan of a run's files, made before anything is written: every file the run reads (the
// scenario, the class configurations, the modules, the host program itself) and writes (--output,
// every SAVE, --trace, --plot), each resolved to the file itself. An output that is an input, or
// the file of another output, is refused, so that no output destroys what the run reads or
// another output's product; so is a checkpoint (a SAVE) outside the working folder, since a
// scenario may come from anyone.
#pragma once

#include "standin_host/outputs/OutputFile.h"
#include "standin_host/platform/FileCalls.h"

#include <cstddef>
#include <memory>
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
    // the working folder. A path given again in its group is planned once. The output's file is
    // written once Check has planned it.
    OutputFile &AddOutput(const std::string &option, const std::string &path,
                          const std::string &where, const std::string &group = {});
    // The output of `group` at `path`, or null when none was added.
    OutputFile *Output(const std::string &group, const std::string &path);

    // Refuses, with a message naming both roles, an output that is an input or the file of an
    // earlier output (a device that discards everything, such as /dev/null, may take several); an
    // output on the standard error, which carries the run's messages, or on a standard output that
    // shares the standard error's file; a checkpoint that is not a file of its own inside the
    // working folder; then plans each output (OutputFile::Plan). A signal that ends the run ends
    // the check early, with true: the caller hears it.
    bool Check(std::string &error);

    // Whether an output goes to the standard output, or the standard error.
    bool WritesStandardOutput() const { return WritesStream(1); }
    bool WritesStandardError() const { return WritesStream(2); }

private:
    struct Planned {
        std::string role; // inputs: what it is; outputs: the option
        std::string path;
        std::string where;
        std::string group;
        FileFacts facts;
        bool readWholeFirst = false;
        std::unique_ptr<OutputFile> file; // outputs only
    };

    bool WritesStream(int fd) const;

    std::vector<Planned> inputs;
    std::vector<Planned> outputs;
    std::unordered_map<std::string, std::size_t> groupPaths; // group + '\n' + path: output index
    Folder working; // as it was when the run was planned, whatever becomes of its path
};

} // namespace standin
