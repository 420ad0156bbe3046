// How the host's interface crosses the boundary between the host executable and the vessel
// modules it loads. The host exports its services from the executable; a module imports them
// from there and exports only its own two entry points, under undecorated C names.
#pragma once

#if defined(_WIN32)
#if defined(BREVLET_BUILDING_HOST)
#define HOST_API __declspec(dllexport)
#else
#define HOST_API __declspec(dllimport)
#endif
#define MODULE_EXPORT extern "C" __declspec(dllexport)
#else
#define HOST_API __attribute__((visibility("default")))
#define MODULE_EXPORT extern "C" __attribute__((visibility("default")))
#endif
