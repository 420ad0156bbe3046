#include "vessel/Brevlet.h"

#include "vessel/ClassConfig.h"

// Until the class configuration says otherwise, the parameters are those of a configuration
// without them, as the host's picture assumes too.
Brevlet::Brevlet(ObjectHandle vesselHandle, int flightModel)
    : VESSEL2(vesselHandle, flightModel), lifetime(brevlet::ClassSettings().lifetime),
      maxCamDistance(brevlet::ClassSettings().maxCamDistance) {}

Brevlet::~Brevlet() = default;
