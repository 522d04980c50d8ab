#include "core/Globals.h"

#include "core/Catalogue.h"
#include "core/StringTable.h"

namespace orv {

CORVGlobals g_Globals;
int g_nSerialTimeout = kDefaultSerialTimeout;

void CORVGlobals::SelectModel(int modelIndex) {
    if (modelIndex < 0 || modelIndex >= kModelCount) {
        modelIndex = 0;
    }
    ModelIndex = modelIndex;
    ModelId = ModelIdOf(modelIndex);
    ModelName = kModelNames[modelIndex];
}

std::string CORVGlobals::BuildMainTitle() const {
    return LoadString(IDS_APP_SHORT_NAME) + " - " + ModelName;
}

int SerialTimeoutFromCommandLine(std::string_view commandLine) {
    if (commandLine.size() >= 3 && commandLine[0] == '/' &&
        (commandLine[1] == 'D' || commandLine[1] == 'd') && commandLine[2] >= '1' &&
        commandLine[2] <= '9') {
        return (commandLine[2] - '0') * 1000;
    }
    return kDefaultSerialTimeout;
}

}  // namespace orv
