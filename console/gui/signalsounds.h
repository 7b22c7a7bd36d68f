// The recording's two signals, "Sound0.Wav" (a cut) and "Sound1.Wav" (a warning), taken
// from the current folder and, where it has none, from the program's own sounds. Played
// without waiting; silent without a sound device.
#pragma once

#include <QObject>

#include "console/recorder.h"

namespace tidrun {

class Sound;

class TSignalSounds : public QObject {
    Q_OBJECT
  public:
    explicit TSignalSounds(QObject* parent = nullptr);
    // The file played for a signal: the current folder's, else the built-in one.
    static QString PathFor(TSound sound);
    void Play(TSound sound);

  private:
    Sound* sound_;
};

}  // namespace tidrun
