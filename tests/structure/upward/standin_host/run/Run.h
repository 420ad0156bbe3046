// a fixture
#include "vessel/Brevlet.h"
