#include "standin_host/run/Run.h"
