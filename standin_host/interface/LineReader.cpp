#include "standin_host/interface/LineReader.h"

#include <utility>

namespace standin {

LineReader::LineReader(std::string fileName, const std::vector<SourceLine> &lines)
    : fileName(std::move(fileName)), lines(&lines), textLines(std::string_view()) {}

LineReader::LineReader(std::string fileName, std::string_view text)
    : fileName(std::move(fileName)), textLines(text) {}

bool LineReader::Next(char *&line) {
    if (lines != nullptr) {
        if (next == lines->size()) {
            return false;
        }
        const SourceLine &source = (*lines)[next++];
        current = source.text;
        currentNumber = source.number;
    } else {
        std::string_view text;
        if (!textLines.Next(text)) {
            return false;
        }
        current.assign(text);
        currentNumber = textLines.Number();
    }
    line = current.data();
    return true;
}

} // namespace standin
