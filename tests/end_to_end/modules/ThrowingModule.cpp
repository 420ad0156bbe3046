// A module whose ovcInit throws, which pulls in the compiler's C++ runtime: linked without -static,
// it imports that runtime from DLLs that would have to lie beside it, and the table check must
// refuse it. Built with ENTRY=__stdcall (32-bit), its entry points get decorated names, which the
// host would not find, and the check must refuse them too.
#include <stdexcept>

#ifndef ENTRY
#define ENTRY
#endif

extern "C" __declspec(dllexport) void *ENTRY ovcInit(void * /*vesselHandle*/, int flightModel) {
    if (flightModel < 0) {
        throw std::invalid_argument("flight model");
    }
    return nullptr;
}

extern "C" __declspec(dllexport) void ENTRY ovcExit(void * /*vessel*/) {}
