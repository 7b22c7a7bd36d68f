// Plays short sound files (the cut and line-end signals) without waiting for them.
// A missing file or a machine without a sound device stays silent.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QSoundEffect;

namespace tidrun {

class Sound : public QObject {
    Q_OBJECT
  public:
    explicit Sound(QObject* parent = nullptr);
    // Waits (a few seconds at most) for files still loading: Qt Multimedia loads them on a
    // thread of its own, and an effect torn down in the middle of that races with it.
    ~Sound() override;

    // Starts playing the WAV file and returns at once. Returns false (and plays nothing)
    // when the file does not exist.
    bool Play(const QString& path);

  private:
    static constexpr int kLoadWaitMs = 3000;
    QHash<QString, QSoundEffect*> effects_;  // one loaded effect per file, owned as children
};

}  // namespace tidrun
