// The x87 unit's precision control, which a host process or a graphics library may set for the
// whole process. The host's --x87-precision option sets it before any module is loaded, to show
// that the module reads and computes the same under every setting.
#pragma once

namespace standin {

// Sets the precision of the x87 unit's results to `bits` significant bits: 24, 53 or 64. False
// when `bits` is none of these or the build has no x87 unit to set (it is not for 32-bit x86).
bool SetX87Precision(int bits);

// The precision now in force, 24, 53 or 64; 0 where the build has no x87 unit.
int X87Precision();

} // namespace standin
