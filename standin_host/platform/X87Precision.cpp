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
constexpr unsigned int codes[] = {0x0000, 0x0200, 0x0300};

unsigned int ReadPrecisionCode() {
    unsigned short control = 0;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    return control & precisionMask;
}

void WritePrecisionCode(unsigned int code) {
    unsigned short control = 0;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    control = static_cast<unsigned short>((control & ~precisionMask) | code);
    __asm__ volatile("fldcw %0" : : "m"(control));
}
#elif defined(_M_IX86) && defined(_MSC_VER)
#define STANDIN_X87_CONTROL 1
// The C runtime's own encoding of the precision control.
constexpr unsigned int codes[] = {_PC_24, _PC_53, _PC_64};

unsigned int ReadPrecisionCode() {
    unsigned int control = 0;
    _controlfp_s(&control, 0, 0);
    return control & _MCW_PC;
}

void WritePrecisionCode(unsigned int code) {
    unsigned int control = 0;
    _controlfp_s(&control, code, _MCW_PC);
}
#endif

#if defined(STANDIN_X87_CONTROL)
// The precisions that the unit can be set to, in the order of their `codes`.
constexpr int precisions[] = {24, 53, 64};
#endif

} // namespace

bool SetX87Precision(int bits) {
#if defined(STANDIN_X87_CONTROL)
    for (int i = 0; i < 3; ++i) {
        if (precisions[i] == bits) {
            WritePrecisionCode(codes[i]);
            return true;
        }
    }
#else
    static_cast<void>(bits);
#endif
    return false;
}

int X87Precision() {
#if defined(STANDIN_X87_CONTROL)
    const unsigned int code = ReadPrecisionCode();
    for (int i = 0; i < 3; ++i) {
        if (codes[i] == code) {
            return precisions[i];
        }
    }
    return 64; // the fourth setting is reserved
#else
    return 0;
#endif
}

} // namespace standin
