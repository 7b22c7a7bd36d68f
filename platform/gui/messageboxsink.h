// User messages as message boxes, all from one queue. A box asked for while received data
// is being handled is not shown inside that handler (its modal loop would let the next
// packet be handled re-entrantly): it is queued and shown from the event loop once the
// handler has returned, one box at a time, in the order asked. By default every Show() is
// deferred that way, so a caller need not know whether it runs inside a handler; Confirm()
// always asks at once. A fault that repeats while its box is up or waiting adds no box,
// and the queue holds at most kMaxWaiting boxes: a storm of messages cannot outlast its
// cause.
#pragma once

#include "platform/messagesink.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <deque>
#include <optional>

namespace tidrun {

class MessageBoxSink : public QObject, public MessageSink {
    Q_OBJECT
  public:
    // Boxes are centred on `window` when it is given (it may be destroyed before the sink).
    explicit MessageBoxSink(QWidget* window = nullptr, QObject* parent = nullptr);

    // Window title of every box.
    static QString Title();

    static constexpr int kMaxWaiting = 16;

    // Error, warning and information boxes carry an icon and one OK button; Plain has no
    // icon. Queued and shown from the event loop; with SetDeferAll(false), shown at once
    // (modal) when no handler scope is open and no other box is up or queued. Dropped when
    // the same box is up or waiting already, or kMaxWaiting boxes wait.
    void Show(Kind kind, const QString& text) override;
    // Modal Yes/No question; true for Yes.
    bool Confirm(const QString& text) override;
    // Shows the waiting boxes one after another now (not inside a handler scope, nor under
    // a box that is up: they follow that box as usual).
    void ShowWaiting() override;

    void SetDeferAll(bool deferAll) { deferAll_ = deferAll; }
    bool DeferAll() const { return deferAll_; }

    // Put one around the handling of received data: while any scope lives, Show() only
    // queues, whatever SetDeferAll says. Scopes nest.
    class HandlerScope {
      public:
        explicit HandlerScope(MessageBoxSink& sink);
        ~HandlerScope();
        HandlerScope(const HandlerScope&) = delete;
        HandlerScope& operator=(const HandlerScope&) = delete;

      private:
        MessageBoxSink& sink_;
    };

    bool InHandler() const { return handlerDepth_ > 0; }
    // Boxes waiting to be shown (not counting one that is up).
    int Pending() const { return static_cast<int>(queue_.size()); }
    bool BoxShowing() const { return showing_; }

    void SetWindow(QWidget* window) { window_ = window; }

  signals:
    // After each box has been closed by the user.
    void boxClosed();

  private:
    struct Entry {
        Kind kind;
        QString text;
        bool operator==(const Entry&) const = default;
    };
    void ScheduleNext();
    void ShowNext();
    void RunBox(const Entry& entry);

    QPointer<QWidget> window_;
    std::deque<Entry> queue_;
    std::optional<Entry> up_;  // the box on screen
    int handlerDepth_ = 0;
    bool showing_ = false;
    bool scheduled_ = false;
    bool deferAll_ = true;
};

}  // namespace tidrun
