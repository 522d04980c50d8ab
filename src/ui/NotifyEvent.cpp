#include "ui/NotifyEvent.h"

#include "core/Errors.h"
#include "core/Globals.h"
#include "engine/Serial.h"

namespace orv {

CORVSerialPort* EngineForNotification(int code) {
    ORV_CHECK((code & 0x7000) == 0x7000);
    CORVSerialPort* engine = g_Globals.SerialPort;
    if (!engine) {
        ORV_INTERNAL_ERROR();
        return nullptr;
    }
    ORV_CHECK(engine->IsPortOpen());
    return engine;
}

}  // namespace orv
