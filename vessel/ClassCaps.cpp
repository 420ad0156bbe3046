// Class capabilities: the vessel refuses the input focus and takes its two parameters from the
// class configuration file.
#include "host/HostServices.h"
#include "vessel/Brevlet.h"
#include "vessel/ClassConfig.h"

void Brevlet::clbkSetClassCaps(FileHandle cfg) {
    SetEnableFocus(false);

    // Every line is read to the end of the file; a later line for the same key overrides an
    // earlier one.
    brevlet::ClassSettings settings{lifetime, maxCamDistance};
    char *line = nullptr;
    while (oapiReadScenario_nextline(cfg, line)) {
        brevlet::ReadClassConfigLine(line, settings);
    }
    lifetime = settings.lifetime;
    maxCamDistance = settings.maxCamDistance;
}
