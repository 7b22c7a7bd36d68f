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

    // Starts playing the WAV file and returns at once. Returns false (and plays nothing)
    // when the file does not exist.
    bool Play(const QString& path);

  private:
    QHash<QString, QSoundEffect*> effects_;  // one loaded effect per file, owned as children
};

}  // namespace tidrun
