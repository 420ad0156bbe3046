#include "standin_host/interface/LineReader.h"

namespace standin {

bool LineReader::Next(char *&line) {
    if (next == lines.size()) {
        return false;
    }
    const SourceLine &source = lines[next++];
    current = source.text;
    currentNumber = source.number;
    line = current.data();
    return true;
}

} // namespace standin
