// A library that exports ovcInit but no ovcExit: the host could create vessels with it but never
// destroy them, so it must refuse the module.
#if defined(_WIN32)
#define EXPORTED extern "C" __declspec(dllexport)
#else
#define EXPORTED extern "C" __attribute__((visibility("default")))
#endif

EXPORTED void *ovcInit(void * /*vesselHandle*/, int /*flightModel*/) {
    return nullptr;
}
