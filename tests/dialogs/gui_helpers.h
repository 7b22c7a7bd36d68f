// Helpers for driving real widgets in the dialog tests (offscreen platform).
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tidrun::testing {

// Processes events until `done` holds or a generous time has passed; returns `done()`.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

// Types text into a widget key by key, as a user would.
inline void TypeText(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &release);
    }
}

inline void PressKey(QWidget* w, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
}

// Calls `act` with the first modal widget of type T that comes up (polled from a timer,
// so it also runs inside a modal loop). The returned timer is owned by the caller.
template <typename T>
std::unique_ptr<QTimer> OnModal(std::function<void(T*)> act) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(10);
    QTimer* raw = timer.get();
    QObject::connect(raw, &QTimer::timeout, [raw, act] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            if (!w->isVisible()) return;
            raw->stop();
            act(w);
        }
    });
    timer->start();
    return timer;
}

}  // namespace tidrun::testing
