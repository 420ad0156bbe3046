// A library that loads, but is no vessel module: it exports a function, and neither ovcInit nor
// ovcExit.
#if defined(_WIN32)
#define EXPORTED extern "C" __declspec(dllexport)
#else
#define EXPORTED extern "C" __attribute__((visibility("default")))
#endif

EXPORTED int brevletTestAnswer() {
    return 42;
}
