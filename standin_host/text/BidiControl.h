// The invisible characters that reorder the text around them for display: Unicode's
// bidirectional controls. Shown as they are, a name holding one can read as another name, or as
// text that the file does not hold.
#pragma once

namespace standin {

constexpr bool IsBidiControl(unsigned codePoint) {
    return codePoint == 0x061c ||                          // Arabic letter mark
           codePoint == 0x200e || codePoint == 0x200f ||   // left-to-right, right-to-left marks
           (codePoint >= 0x202a && codePoint <= 0x202e) || // embeddings and overrides
           (codePoint >= 0x2066 && codePoint <= 0x2069);   // isolates
}

} // namespace standin
