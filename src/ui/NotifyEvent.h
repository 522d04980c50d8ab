// The engine's notification as it reaches a window: code and value.
#pragma once

#include <QEvent>

namespace orv {

class CORVSerialPort;

class NotifyEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 1);

    NotifyEvent(int code, long value) : QEvent(kType), m_code(code), m_value(value) {}

    int Code() const { return m_code; }
    long Value() const { return m_value; }

private:
    int m_code;
    long m_value;
};

// The checks every receiver of a notification makes: a notification code, and
// the engine's port open. Failed checks are reported as internal errors.
void CheckNotification(int code, const CORVSerialPort& engine);

}  // namespace orv
