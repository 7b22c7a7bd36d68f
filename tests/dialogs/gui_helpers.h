// Helpers for driving real widgets in the dialog tests (offscreen platform).
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

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

// Closes every message box that comes up, noting what it showed and what else was open.
class BoxCloser {
  public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        int boxesOpen;  // visible message boxes at that moment
    };
    explicit BoxCloser(QMessageBox::StandardButton answer = QMessageBox::Ok,
                       std::function<void(QMessageBox*)> beforeClose = {})
        : answer_(answer), beforeClose_(std::move(beforeClose)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }
    std::vector<Seen> seen;
    QStringList Texts() const {
        QStringList out;
        for (const Seen& s : seen) out << s.text;
        return out;
    }

  private:
    void Poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        int open = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox*>(w) && w->isVisible()) ++open;
        seen.push_back({box->windowTitle(), box->text(), box->icon(), open});
        if (beforeClose_) beforeClose_(box);
        QAbstractButton* button = box->button(answer_);
        if (!button) button = box->buttons().value(0);
        button->click();
    }
    QTimer timer_;
    QMessageBox::StandardButton answer_;
    std::function<void(QMessageBox*)> beforeClose_;
};

}  // namespace tidrun::testing
