#include "standin_host/platform/X87Precision.h"

#if defined(_M_IX86) && defined(_MSC_VER) && !(defined(__i386__) && defined(__GNUC__))
#include <float.h>
#endif

namespace standin {
namespace {

#if defined(__i386__) && defined(__GNUC__)
#define STANDIN_X87_CONTROL 1
// The precision control is bits 8 and 9 of the control word: 00 for 24 bits, 10 for 53, 11 for 64.
constexpr unsigned int precisionMask = 0x0300;

unsigned int ReadPrecisionBits() {
    unsigned short control = 0;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    return control & precisionMask;
}

void WritePrecisionBits(unsigned int bits) {
    unsigned short control = 0;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    control = static_cast<unsigned short>((control & ~precisionMask) | bits);
    __asm__ volatile("fldcw %0" : : "m"(control));
}

constexpr unsigned int bits24 = 0x0000;
constexpr unsigned int bits53 = 0x0200;
constexpr unsigned int bits64 = 0x0300;
#elif defined(_M_IX86) && defined(_MSC_VER)
#define STANDIN_X87_CONTROL 1
// The C runtime's own encoding of the precision control.
unsigned int ReadPrecisionBits() {
    unsigned int control = 0;
    _controlfp_s(&control, 0, 0);
    return control & _MCW_PC;
}

void WritePrecisionBits(unsigned int bits) {
    unsigned int control = 0;
    _controlfp_s(&control, bits, _MCW_PC);
}

constexpr unsigned int bits24 = _PC_24;
constexpr unsigned int bits53 = _PC_53;
constexpr unsigned int bits64 = _PC_64;
#endif

} // namespace

#if defined(STANDIN_X87_CONTROL)
bool X87PrecisionSettable() {
    return true;
}

bool SetX87Precision(int bits) {
    switch (bits) {
    case 24:
        WritePrecisionBits(bits24);
        return true;
    case 53:
        WritePrecisionBits(bits53);
        return true;
    case 64:
        WritePrecisionBits(bits64);
        return true;
    default:
        return false;
    }
}

int X87Precision() {
    const unsigned int bits = ReadPrecisionBits();
    return bits == bits24 ? 24 : bits == bits53 ? 53 : 64; // the fourth setting is reserved
}
#else
bool X87PrecisionSettable() {
    return false;
}

bool SetX87Precision(int /*bits*/) {
    return false;
}

int X87Precision() {
    return 0;
}
#endif

} // namespace standin
