// The plan of a run's files, made before anything is written: every file the run reads (the
// scenario, the class configurations, the modules, the host program itself) and writes (--output,
// every SAVE, --trace, --plot), each resolved to the file itself. An output that is an input, or
// the file of another output, is refused, so that no output destroys what the run reads or
// another output's product.
#pragma once

#include "standin_host/platform/FileFacts.h"

#include <string>
#include <vector>

namespace standin {

class RunFiles {
public:
    // `role` says what the file is to the run, e.g. "the scenario" or "the module of class X".
    void AddInput(const std::string &role, const std::string &path);
    // `option` names the output as the user asked for it, e.g. "--trace"; `where` is put before
    // its messages (a SAVE's scenario line, "run.scn:7: "). Outputs of one `group` may share a
    // file: the SAVE events of a scenario update one checkpoint.
    void AddOutput(const std::string &option, const std::string &path, const std::string &where,
                   const std::string &group = {});

    // Refuses, with a message naming both roles, an output that is an input or the file of an
    // earlier output (a device that discards everything, such as /dev/null, may take several),
    // then any output that cannot be written (CheckOutputFile). Touches no file.
    bool Check(std::string &error) const;

    // Whether an output goes to the standard output, or the standard error.
    bool WritesStandardOutput() const;
    bool WritesStandardError() const;

private:
    struct Planned {
        std::string role; // inputs: what it is; outputs: the option
        std::string path;
        std::string where;
        std::string group;
        FileFacts facts;
    };

    std::vector<Planned> inputs;
    std::vector<Planned> outputs;
};

} // namespace standin
