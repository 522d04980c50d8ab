// import-icons, import-sound and convert-icon: pictures and sounds made ready
// for a device.
#pragma once

#include "cli/Options.h"

namespace orv::cli {

// Writes the icon import file from BITMAP[=NAME] operands and, unless
// --prepare-only, serves the device's icon request with it.
int RunImportIcons(const CommandLine& cl);
// The same for one sound and the sound import file.
int RunImportSound(const CommandLine& cl);
// Converts BITMAP to a 74 x 62 icon and writes it as OUTPUT.bmp.
int RunConvertIcon(const CommandLine& cl);

}  // namespace orv::cli
