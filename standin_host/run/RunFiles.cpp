#include "standin_host/run/RunFiles.h"

#include "standin_host/outputs/OutputFile.h"

namespace standin {
namespace {

bool SameFile(const FileFacts &a, const FileFacts &b) {
    return !a.identity.empty() && a.identity == b.identity;
}

} // namespace

void RunFiles::AddInput(const std::string &role, const std::string &path) {
    inputs.push_back(Planned{role, path, {}, {}, ExamineFile(path)});
}

void RunFiles::AddOutput(const std::string &option, const std::string &path,
                         const std::string &where, const std::string &group) {
    outputs.push_back(Planned{option, path, where, group, ExamineFile(path)});
}

bool RunFiles::Check(std::string &error) const {
    for (auto output = outputs.begin(); output != outputs.end(); ++output) {
        const std::string prefix = output->where.empty() ? "" : output->where + ": ";
        const std::string named = prefix + output->role + " " + output->path + " is ";
        for (const Planned &input : inputs) {
            if (SameFile(output->facts, input.facts)) {
                error = named + input.role +
                        (input.path == output->path ? "" : " (" + input.path + ")") +
                        "; an output may not replace a file that the run reads";
                return false;
            }
        }
        if (output->facts.discards) {
            continue;
        }
        for (auto earlier = outputs.begin(); earlier != output; ++earlier) {
            const bool oneCheckpoint = !output->group.empty() && output->group == earlier->group;
            if (!oneCheckpoint && SameFile(output->facts, earlier->facts)) {
                error = named + "the same file as " + earlier->role + " " + earlier->path +
                        (earlier->where.empty() ? "" : " (" + earlier->where + ")") +
                        "; each output needs a file of its own";
                return false;
            }
        }
    }
    for (const Planned &output : outputs) {
        if (!CheckOutputFile(output.path, error)) {
            error.insert(0, output.where.empty() ? "" : output.where + ": ");
            return false;
        }
    }
    return true;
}

bool RunFiles::WritesStandardOutput() const {
    for (const Planned &output : outputs) {
        if (output.facts.standardStream == 1) {
            return true;
        }
    }
    return false;
}

bool RunFiles::WritesStandardError() const {
    for (const Planned &output : outputs) {
        if (output.facts.standardStream == 2) {
            return true;
        }
    }
    return false;
}

} // namespace standin
