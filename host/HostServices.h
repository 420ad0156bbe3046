// The host's free functions that vessel modules call.
#pragma once

#include "HostTypes.h"
#include "Linkage.h"

#include <cstddef>

// Size in bytes of the buffer behind oapiDebugString(), terminating NUL included.
constexpr std::size_t DebugStringCapacity = 256;

// Hands out the next line of a class configuration file or of a vessel's scenario block: true
// with `line` set to a NUL-terminated line, false when no line is left.
HOST_API bool oapiReadScenario_nextline(FileHandle file, char *&line);

// Writes one scenario item, the key and then the value, as a line that reads back as the
// identical double.
HOST_API void oapiWriteScenario_float(FileHandle scn, char *item, double value);

// The object the camera targets, or null when it targets none.
HOST_API ObjectHandle oapiCameraTarget();

// The camera's global position in metres.
HOST_API void oapiCameraGlobalPos(VECTOR3 *pos);

// The host's debug line: a writable buffer of DebugStringCapacity bytes.
HOST_API char *oapiDebugString();

// Asks the host to delete a vessel. The host honours the request at the end of the current step;
// the second argument names the vessel that takes the focus over and may be null.
HOST_API bool oapiDeleteVessel(ObjectHandle vessel, ObjectHandle newFocus = nullptr);
