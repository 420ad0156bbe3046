// The module's version, in the module's bytes where `strings Brevlet.so` finds it. The file keeps
// its bare name, by which the host finds a module.
#include "BrevletVersion.h"

// Nothing refers to it: external linkage keeps it in the module, hidden visibility out of the
// export table.
extern const char brevletModuleVersion[];
const char brevletModuleVersion[] = "Brevlet vessel module " BREVLET_VERSION;
