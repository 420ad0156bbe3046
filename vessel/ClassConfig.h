// The two parameters of the Brevlet class and how a line of its class configuration sets them.
// The module reads its configuration with it, and the stand-in host compiles it in as well, so
// that what the host shows of a class's limits is what the module reads.
#pragma once

namespace brevlet {

struct ClassSettings {
    // Remaining lifetime in seconds; zero or less means no lifetime limit.
    double lifetime = 0.0;
    // Distance limit to the camera in metres; zero or less disables the cull.
    double maxCamDistance = 0.0;
};

// Reads one line of a class configuration. "LifeTime" or "MaxCamDistance" at the very start of
// the line (ASCII letters in any case) names the setting; whatever follows it up to the first
// '=' is passed over, and the number after that '=' (ScanNumber: leading blanks skipped, text
// after the number ignored) becomes the setting's value. Any other line, or one whose '=' no
// number follows, leaves `settings` as they were: read line by line, the last line of a key that
// yields a number decides.
void ReadClassConfigLine(const char *line, ClassSettings &settings);

} // namespace brevlet
