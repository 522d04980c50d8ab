#include "ui/NotifyEvent.h"

#include "core/Errors.h"
#include "engine/Serial.h"

namespace orv {

void CheckNotification(int code, const CORVSerialPort& engine) {
    ORV_CHECK((code & 0x7000) == 0x7000);
    ORV_CHECK(engine.IsPortOpen());
}

}  // namespace orv
