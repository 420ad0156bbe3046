#include "standin_host/outputs/RunLog.h"

#include "standin_host/outputs/ProgressLine.h"
#include "standin_host/text/MessageText.h"
#include "standin_host/text/NumberText.h"

namespace standin {

RunLog::RunLog(std::ostream &out, double stepLength, std::ostream &warnings)
    : out(out), warnings(warnings), decimals(DecimalsToTellApart(stepLength, 3)) {}

void RunLog::Line(double simTime, const std::string &text, Entry entry) {
    if (quiet && entry == Entry::Event) {
        return;
    }
    if (progress != nullptr) {
        progress->Clear();
    }
    line.assign("[t=").append(FormatFixed(simTime, decimals)).append("] ");
    AppendEscaped(line, text);
    line += '\n';
    out << line;
}

void RunLog::Warning(const std::string &file, int lineNumber, const std::string &text) {
    if (progress != nullptr) {
        progress->Clear();
    }
    warnings << Escaped(file) << ':' << lineNumber << ": warning: " << Escaped(text) << '\n';
}

bool RunLog::WriteFailed() {
    out.flush();
    return !out;
}

} // namespace standin
