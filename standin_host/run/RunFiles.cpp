#include "standin_host/run/RunFiles.h"

#include "standin_host/platform/RunInterrupt.h"

#include <algorithm>

namespace standin {
namespace {

// Whether the standard output and error write one file that keeps what it is given (not a
// terminal, which only shows it): a product there would hold the run's messages.
bool StandardStreamsShareAFile() {
    const FileFacts error = ExamineFile("/dev/stderr");
    return error.standardStream == 1 && error.kind != FileFacts::Kind::Device;
}

} // namespace

RunFiles::RunFiles() {
    working.Open(".");
}

void RunFiles::AddInput(const std::string &role, const std::string &path, bool readWholeFirst) {
    inputs.push_back(Planned{role, path, {}, {}, ExamineFile(path), readWholeFirst, nullptr});
}

OutputFile &RunFiles::AddOutput(const std::string &option, const std::string &path,
                                const std::string &where, const std::string &group) {
    if (OutputFile *again = group.empty() ? nullptr : Output(group, path)) {
        return *again; // the same checkpoint again
    }
    groupPaths.emplace(group + '\n' + path, outputs.size());
    outputs.push_back(Planned{option, path, where, group, ExamineFile(path), false,
                              std::make_unique<OutputFile>()});
    return *outputs.back().file;
}

OutputFile *RunFiles::Output(const std::string &group, const std::string &path) {
    const auto found = groupPaths.find(group + '\n' + path);
    return found == groupPaths.end() ? nullptr : outputs[found->second].file.get();
}

bool RunFiles::Check(std::string &error) {
    // The first output of each file, by its identity.
    std::unordered_map<std::string, const Planned *> files;
    for (const Planned &output : outputs) {
        if (RunInterruptSignal() != 0) {
            return true;
        }
        const std::string prefix = output.where.empty() ? "" : output.where + ": ";
        const std::string named = prefix + output.role + " " + output.path + " is ";
        const bool checkpoint = !output.group.empty();
        for (const Planned &input : inputs) {
            if (!output.facts.identity.empty() && output.facts.identity == input.facts.identity &&
                !(checkpoint && input.readWholeFirst)) {
                error = named + input.role +
                        (input.path == output.path ? "" : " (" + input.path + ")") +
                        "; an output may not replace a file that the run reads";
                return false;
            }
        }
        if (output.facts.standardStream == 2) {
            error = named + "the standard error, which carries the run's messages; an output "
                            "needs a file of its own";
            return false;
        }
        if (output.facts.standardStream == 1 && !checkpoint && StandardStreamsShareAFile()) {
            error = named + "the standard output, which writes the same file as the standard "
                            "error, where the run's messages go; an output needs a file of its own";
            return false;
        }
        const FileFacts::Kind kind = output.facts.kind;
        if (checkpoint && (output.facts.standardStream != 0 ||
                           (kind != FileFacts::Kind::Missing && kind != FileFacts::Kind::Regular &&
                            kind != FileFacts::Kind::Unreachable))) {
            error = named + "not a file of its own; a checkpoint is a scenario file";
            return false;
        }
        if (output.facts.discards) {
            continue;
        }
        const auto first = files.emplace(output.facts.identity, &output);
        const Planned &earlier = *first.first->second;
        if (!first.second && !output.facts.identity.empty() &&
            !(checkpoint && output.group == earlier.group)) {
            error = output.facts.standardStream == 1
                        ? earlier.role + " and " + output.role +
                              " both write the standard "
                              "output; one product per stream: name a file for one of them"
                        : named + "the same file as " + earlier.role + " " + earlier.path +
                              (earlier.where.empty() ? "" : " (" + earlier.where + ")") +
                              "; each output needs a file of its own";
            return false;
        }
    }
    for (const Planned &output : outputs) {
        if (RunInterruptSignal() != 0) {
            return true;
        }
        if (!output.file->Plan(output.path, output.facts, error,
                               output.group.empty() ? nullptr : &working)) {
            error.insert(0, output.where.empty() ? "" : output.where + ": ");
            return false;
        }
    }
    return true;
}

bool RunFiles::WritesStream(int fd) const {
    return std::any_of(outputs.begin(), outputs.end(),
                       [fd](const Planned &output) { return output.facts.standardStream == fd; });
}

} // namespace standin
