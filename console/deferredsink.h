// Passes messages on to another sink from the event loop, after the current handler has
// returned. The receiver reports its log errors while it handles a sentence; a modal box
// there would run a nested event loop in the middle of the packet handling.
#pragma once

#include <QObject>

#include "platform/messagesink.h"

namespace tidrun {

class TDeferredSink : public QObject, public MessageSink {
    Q_OBJECT
  public:
    // target must outlive this object; messages still pending when it goes are dropped.
    explicit TDeferredSink(MessageSink& target, QObject* parent = nullptr)
        : QObject(parent), target_(target) {}

    void Show(Kind kind, const QString& text) override;
    // Questions wait for their answer, so they go through at once.
    bool Confirm(const QString& text) override { return target_.Confirm(text); }

  private:
    MessageSink& target_;
};

}  // namespace tidrun
