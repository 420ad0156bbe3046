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

    // First after creation, with the class configuration to read; the default reads nothing.
    virtual void clbkSetClassCaps(FileHandle cfg);
    // When a scenario is saved, to write the vessel's block; the default writes POS and VEL.
    virtual void clbkSaveState(FileHandle scn);
    // After SetClassCaps for a vessel from a scenario block; the default parses every line itself.
    virtual void clbkLoadStateEx(FileHandle scn, void *status);
    // After SetClassCaps for a vessel made from a status record; the default applies the record.
    virtual void clbkSetStateEx(const void *status);
    // Once the vessel's initial state is set, before its first step; the default does nothing.
    virtual void clbkPostCreation();
    // When the input focus comes or goes (never in the stand-in host); the default does nothing.
    virtual void clbkFocusChanged(bool getFocus, ObjectHandle newVessel, ObjectHandle oldVessel);
    // Before each step (the stand-in host calls only PostStep); the default does nothing.
    virtual void clbkPreStep(double simTime, double stepLength, double mjd);
    // After each step, at the new time; the default does nothing.
    virtual void clbkPostStep(double simTime, double stepLength, double mjd);
    // For a recorded event during playback (never in the stand-in host); the default ignores it.
    virtual bool clbkPlaybackEvent(double simTime, double eventTime, const char *eventType,
                                   const char *event);
    // When the vessel's visual is created (never here: no graphics); the default does nothing.
    virtual void clbkVisualCreated(void *visual, int refCount);
    // When the vessel's visual is destroyed (never here); the default does nothing.
    virtual void clbkVisualDestroyed(void *visual, int refCount);
    // When the focus vessel's head-up display is drawn (never here); the default draws nothing.
    virtual void clbkDrawHUD(int mode, const HUDPAINTSPEC *hps, HDC hdc);
    // When the focus vessel's attitude thruster mode changes (never here); the default ignores it.
    virtual void clbkRCSMode(int mode);
    // When its aerodynamic control mode changes (never here); the default ignores it.
    virtual void clbkADCtrlMode(DWORD mode);
    // When its head-up display mode changes (never here); the default ignores it.
    virtual void clbkHUDMode(int mode);
    // When a multifunction display changes mode (never here); the default ignores it.
    virtual void clbkMFDMode(int mfd, int mode);
    // When a navigation mode is switched (never here); the default ignores it.
    virtual void clbkNavMode(int mode, bool active);
    // When a docking port docks or undocks (never here); the default ignores it.
    virtual void clbkDockEvent(int dock, void *mate);
    // Each frame while the vessel is visible (never here); the default animates nothing.
    virtual void clbkAnimate(double simTime);
    // Each frame with the keys held, for the focus vessel (never here); the default takes none.
    virtual int clbkConsumeDirectKey(char *keyState);
    // For each key press or release, for the focus vessel (never here); the default takes none.
    virtual int clbkConsumeBufferedKey(DWORD key, bool down, char *keyState);
    // When the generic cockpit view is opened (never here); the default refuses it.
    virtual bool clbkLoadGenericCockpit();
    // When a 2-D instrument panel is opened (never here); the default has no panel.
    virtual bool clbkLoadPanel(int id);
    // For a mouse event in a panel area (never here); the default ignores it.
    virtual bool clbkPanelMouseEvent(int id, int event, int mx, int my);
    // When a panel area is to be redrawn (never here); the default draws nothing.
    virtual bool clbkPanelRedrawEvent(int id, int event, void *surface);
    // When the virtual cockpit is opened (never here); the default has none.
    virtual bool clbkLoadVC(int id);
    // For a mouse event in a virtual cockpit area (never here); the default ignores it.
    virtual bool clbkVCMouseEvent(int id, int event, VECTOR3 &p);
    // When a virtual cockpit area is to be redrawn (never here); the default draws nothing.
    virtual bool clbkVCRedrawEvent(int id, int event, void *surface);
};
