// The engine's notification as it reaches a window: code and value, and the
// worker's wait on it. An event dropped unhandled releases the worker.
#pragma once

#include <QEvent>

#include "engine/EngineHost.h"

namespace orv {

class CORVSerialPort;

class NotifyEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 1);

    explicit NotifyEvent(Notification note) : QEvent(kType), m_note(std::move(note)) {}

    int Code() const { return m_note.Code(); }
    long Value() const { return m_note.Value(); }
    // The receiver takes the notification to release it when it has answered.
    Notification Take() { return std::move(m_note); }

private:
    Notification m_note;
};

// The checks every receiver of a notification makes: a notification code, and
// the engine's port open. Failed checks are reported as internal errors.
void CheckNotification(int code, const CORVSerialPort& engine);

}  // namespace orv
