// The line being recorded, as the main window runs it: the line name asked at its start,
// the 100 ms tick of its elapsed time, count-down lamps and sounds, and the hand cut.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QTimer;
class QWidget;

namespace tidrun {

class MessageSink;
class TCutPanel;
class TJobSession;
class TJobSettings;
class TLineDlgForm;
class TSignalSounds;

class TLineRecording : public QObject {
    Q_OBJECT
  public:
    // The line-name dialog: the name, or nothing when cancelled.
    using LineNameAsker = std::function<std::optional<QString>(const QString& preset)>;

    // The dialogs come up over window, which has the keyboard again after them.
    TLineRecording(TJobSession& session, TCutPanel& panel, MessageSink& sink, QWidget& window);
    void SetLineNameAsker(LineNameAsker asker) { askLineName_ = std::move(asker); }

    // 収録開始: a line the settings allow, named by the user, its files opened (a file
    // that cannot be opened is said); true once it runs.
    bool Start(const TJobSettings& settings);
    // The line has ended: the tick stops, the panel goes idle.
    void Ended();
    // The 100 ms tick of a line: elapsed time, count-down lamps, sounds.
    void Tick();
    // The hand cut (ｶｯﾄ), its lamps and sound.
    void Cut();

  signals:
    void TitleChanged(const QString& title);

  private:
    TJobSession& session_;
    TCutPanel& panel_;
    MessageSink& sink_;
    QWidget& window_;
    LineNameAsker askLineName_;
    QPointer<TLineDlgForm> lineDlg_;
    TSignalSounds* sounds_;
    QTimer* timer_;
};

}  // namespace tidrun
