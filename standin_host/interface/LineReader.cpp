#include "standin_host/interface/LineReader.h"

namespace standin {

bool LineReader::Next(char *&line) {
    std::string_view text;
    if (!lines.Next(text, currentNumber)) {
        return false;
    }
    current.assign(text.data(), text.size());
    line = current.data();
    return true;
}

} // namespace standin
