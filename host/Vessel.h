// The host's vessel interface: VESSEL, the services a module may call on its own vessel, and
// VESSEL2, the callback base class that a vessel class derives from.
#pragma once

#include "HostTypes.h"
#include "Linkage.h"

#include <cstdint>

// The host's 32-bit unsigned word, as the window system declares it; the same width elsewhere.
#if defined(_WIN32)
using DWORD = unsigned long;
#else
using DWORD = std::uint32_t;
#endif

// Services of one vessel. The host implements them; VESSEL has no virtual functions, so a
// derived class's table of callbacks starts with VESSEL2's.
class HOST_API VESSEL {
public:
    VESSEL(ObjectHandle vesselHandle, int flightModel);

    // The vessel's own handle, equal to oapiCameraTarget() exactly when the camera targets it.
    ObjectHandle GetHandle() const;

    // Whether the vessel may take the user's input focus.
    void SetEnableFocus(bool enable) const;

    // Global position in metres, in the same frame as oapiCameraGlobalPos.
    void GetGlobalPos(VECTOR3 &pos) const;

    // Writes the host's default vessel state (position, velocity) into a scenario.
    void SaveDefaultState(FileHandle scn) const;

    // Applies one scenario line the default way, into the status record of the vessel being
    // loaded.
    void ParseScenarioLineEx(char *line, void *status) const;

    // Applies a vessel status record the default way.
    void DefSetStateEx(const void *status) const;

private:
    ObjectHandle vesselHandle;
    [[maybe_unused]] int flightModel; // the host's flight model level; unused by this host
};

// The callback base class. Every callback has a default behaviour supplied by the host; a vessel
// class overrides the ones it needs. The order of the declarations is the order of the slots in
// the table of virtual functions, which modules built against this header rely on.
class HOST_API VESSEL2 : public VESSEL {
public:
    VESSEL2(ObjectHandle vesselHandle, int flightModel);

    virtual void clbkSetClassCaps(FileHandle cfg);
    virtual void clbkSaveState(FileHandle scn);
    virtual void clbkLoadStateEx(FileHandle scn, void *status);
    virtual void clbkSetStateEx(const void *status);
    virtual void clbkPostCreation();
    virtual void clbkFocusChanged(bool getFocus, ObjectHandle newVessel, ObjectHandle oldVessel);
    virtual void clbkPreStep(double simTime, double stepLength, double mjd);
    virtual void clbkPostStep(double simTime, double stepLength, double mjd);
    virtual bool clbkPlaybackEvent(double simTime, double eventTime, const char *eventType,
                                   const char *event);
    virtual void clbkVisualCreated(void *visual, int refCount);
    virtual void clbkVisualDestroyed(void *visual, int refCount);
    virtual void clbkDrawHUD(int mode, const HUDPAINTSPEC *hps, HDC hdc);
    virtual void clbkRCSMode(int mode);
    virtual void clbkADCtrlMode(DWORD mode);
    virtual void clbkHUDMode(int mode);
    virtual void clbkMFDMode(int mfd, int mode);
    virtual void clbkNavMode(int mode, bool active);
    virtual void clbkDockEvent(int dock, void *mate);
    virtual void clbkAnimate(double simTime);
    virtual int clbkConsumeDirectKey(char *keyState);
    virtual int clbkConsumeBufferedKey(DWORD key, bool down, char *keyState);
    virtual bool clbkLoadGenericCockpit();
    virtual bool clbkLoadPanel(int id);
    virtual bool clbkPanelMouseEvent(int id, int event, int mx, int my);
    virtual bool clbkPanelRedrawEvent(int id, int event, void *surface);
    virtual bool clbkLoadVC(int id);
    virtual bool clbkVCMouseEvent(int id, int event, VECTOR3 &p);
    virtual bool clbkVCRedrawEvent(int id, int event, void *surface);
};
