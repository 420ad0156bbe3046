#include "standin_host/text/VectorText.h"

#include "standin_host/text/NumberText.h"

namespace standin {

std::string VectorText(const VECTOR3 &v) {
    std::string text;
    AppendExact(text, v.x);
    text += ' ';
    AppendExact(text, v.y);
    text += ' ';
    AppendExact(text, v.z);
    return text;
}

} // namespace standin
