// A vector as the host writes it in its files and its log: "x y z", each coordinate in the
// shortest text that reads back as exactly its value.
#pragma once

#include "host/HostTypes.h"

#include <string>

namespace standin {

std::string VectorText(const VECTOR3 &v);

} // namespace standin
