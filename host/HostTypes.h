// The plain types that the host and its vessel modules exchange.
#pragma once

// Opaque handle of a simulation object (a vessel, a planet, ...). Modules compare handles for
// identity and pass them back to the host; they never look behind them.
using ObjectHandle = void *;

// Opaque handle of an open class configuration file or scenario file.
using FileHandle = void *;

// A vector of three doubles; global positions are in metres.
struct VECTOR3 {
    double x;
    double y;
    double z;
};

// Types of the window system and of the head-up display that appear only in the signatures of
// callbacks which vessel modules may leave alone.
struct HUDPAINTSPEC;
#if defined(_WIN32)
struct HDC__; // NOLINT(bugprone-reserved-identifier): the window system's own device context
using HDC = HDC__ *;
#else
struct DeviceContext;
using HDC = DeviceContext *;
#endif
