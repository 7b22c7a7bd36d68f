// The signals with which a desktop session or a user ends a program (SIGTERM, SIGHUP),
// turned into a Qt signal on the thread's event loop, so that the program can close as
// its own exit does instead of ending where it stands.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace tidrun {

class TQuitSignals : public QObject {
    Q_OBJECT
  public:
    // Catches SIGTERM and SIGHUP while it lives (one such object at a time; a second one
    // catches nothing and reports false from Active()).
    explicit TQuitSignals(QObject* parent = nullptr);
    ~TQuitSignals() override;
    bool Active() const { return notifier_ != nullptr; }

  signals:
    // From the event loop, once per signal received.
    void Received(int signalNumber);

  private:
    void ReadPipe();
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tidrun
