// The module's number reader against the C library's strtod in the "C" locale: for every text,
// both find a number or both find none, both stop at the same character, and the values are equal
// bit for bit (infinity on overflow, zero with its sign on underflow).
#include "fuzz/ReferenceNumber.h"
#include "fuzz/SameBits.h"
#include "vessel/TextScan.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// A value that no reading can produce, to see that a failed read leaves the target alone.
double Untouched() {
    const std::uint64_t bits = 0x7ff8dead0000beefULL; // a NaN with a payload of its own
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // The text ends at the first NUL, as a line from the host does.
    const std::string text(reinterpret_cast<const char *>(data), size);
    const char *begin = text.c_str();

    double value = Untouched();
    const char *end = brevlet::ScanNumber(begin, value);
    const std::optional<fuzzing::ReferenceNumber> expected = fuzzing::ReadReferenceNumber(begin);

    if (!expected) {
        if (end != nullptr || fuzzing::BitsOf(value) != fuzzing::BitsOf(Untouched())) {
            std::abort(); // read a number where there is none, or changed the target
        }
        return 0;
    }
    if (end == nullptr) {
        std::abort(); // missed a number
    }
    if (static_cast<std::size_t>(end - begin) != expected->length) {
        std::abort(); // stopped at another character
    }
    if (fuzzing::BitsOf(value) != fuzzing::BitsOf(expected->value)) {
        std::abort(); // another value
    }
    return 0;
}
