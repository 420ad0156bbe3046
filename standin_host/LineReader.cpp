#include "LineReader.h"

#include <utility>

namespace standin {

LineReader::LineReader(std::string fileName, const std::vector<SourceLine> &lines)
    : fileName(std::move(fileName)), lines(lines) {}

bool LineReader::Next(char *&line) {
    if (next == lines.size()) {
        return false;
    }
    current = lines[next++].text;
    line = current.data();
    return true;
}

int LineReader::CurrentLineNumber() const {
    return next == 0 ? 0 : lines[next - 1].number;
}

} // namespace standin
