#include "Brevlet.h"

Brevlet::Brevlet(ObjectHandle vesselHandle, int flightModel)
    : VESSEL2(vesselHandle, flightModel), lifetime(0.0), maxCamDistance(0.0) {}

Brevlet::~Brevlet() = default;
