#include "platform/gui/messageboxsink.h"

#include <QMessageBox>
#include <QMetaObject>

#include <algorithm>

namespace tidrun {

namespace {

QMessageBox::Icon IconFor(MessageSink::Kind kind) {
    switch (kind) {
        case MessageSink::Kind::Error:
            return QMessageBox::Critical;
        case MessageSink::Kind::Warning:
            return QMessageBox::Warning;
        case MessageSink::Kind::Information:
            return QMessageBox::Information;
        case MessageSink::Kind::Plain:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MessageBoxSink::MessageBoxSink(QWidget* window, QObject* parent)
    : QObject(parent), window_(window) {}

QString MessageBoxSink::Title() {
    return QStringLiteral("Tidrun for GPS");
}

void MessageBoxSink::Show(Kind kind, const QString& text) {
    const Entry entry{kind, text};
    if (up_ == entry || std::find(queue_.begin(), queue_.end(), entry) != queue_.end()) return;
    if (deferAll_ || handlerDepth_ > 0 || showing_ || !queue_.empty()) {
        if (static_cast<int>(queue_.size()) >= kMaxWaiting) return;
        queue_.push_back(entry);
        ScheduleNext();
        return;
    }
    RunBox(entry);
}

void MessageBoxSink::ShowWaiting() {
    while (handlerDepth_ == 0 && !showing_ && !queue_.empty()) {
        const Entry entry = queue_.front();
        queue_.pop_front();
        RunBox(entry);
    }
}

bool MessageBoxSink::Confirm(const QString& text) {
    QMessageBox box(QMessageBox::Question, Title(), text, QMessageBox::Yes | QMessageBox::No,
                    window_);
    box.setDefaultButton(QMessageBox::Yes);
    const bool wasShowing = showing_;
    showing_ = true;
    const int answer = box.exec();
    showing_ = wasShowing;
    emit boxClosed();
    if (!queue_.empty()) ScheduleNext();
    return answer == QMessageBox::Yes;
}

void MessageBoxSink::ScheduleNext() {
    if (scheduled_) return;
    scheduled_ = true;
    QMetaObject::invokeMethod(this, &MessageBoxSink::ShowNext, Qt::QueuedConnection);
}

void MessageBoxSink::ShowNext() {
    scheduled_ = false;
    // A handler still running or a box still up: the scope's end or the box's close
    // schedules the next attempt.
    if (handlerDepth_ > 0 || showing_ || queue_.empty()) return;
    const Entry entry = queue_.front();
    queue_.pop_front();
    RunBox(entry);
}

void MessageBoxSink::RunBox(const Entry& entry) {
    QMessageBox box(IconFor(entry.kind), Title(), entry.text, QMessageBox::Ok, window_);
    showing_ = true;
    up_ = entry;
    box.exec();
    up_.reset();
    showing_ = false;
    emit boxClosed();
    if (!queue_.empty()) ScheduleNext();
}

MessageBoxSink::HandlerScope::HandlerScope(MessageBoxSink& sink) : sink_(sink) {
    ++sink_.handlerDepth_;
}

MessageBoxSink::HandlerScope::~HandlerScope() {
    if (--sink_.handlerDepth_ == 0 && !sink_.queue_.empty()) sink_.ScheduleNext();
}

}  // namespace tidrun
