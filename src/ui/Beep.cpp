#include "ui/Beep.h"

#include <QApplication>
#include <QTimer>

namespace orv {
namespace {

std::function<void()>& Beeper() {
    static std::function<void()> beeper;
    return beeper;
}

std::function<void(QWidget*)>& AttentionRequester() {
    static std::function<void(QWidget*)> requester;
    return requester;
}

}  // namespace

void Beep() {
    if (Beeper()) {
        Beeper()();
    } else {
        QApplication::beep();
    }
}

void SetBeeper(std::function<void()> beeper) {
    Beeper() = std::move(beeper);
}

void BeepTimes(int count, int intervalMs) {
    if (count <= 0) {
        return;
    }
    Beep();
    if (count == 1) {
        return;
    }
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(intervalMs);
    auto remaining = std::make_shared<int>(count - 1);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, remaining] {
        Beep();
        if (--*remaining == 0) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

void RequestAttention(QWidget* window) {
    if (AttentionRequester()) {
        AttentionRequester()(window);
    } else {
        QApplication::alert(window);
    }
}

void SetAttentionRequester(std::function<void(QWidget*)> requester) {
    AttentionRequester() = std::move(requester);
}

}  // namespace orv
