#include "console/gui/signalsounds.h"

#include <QDir>
#include <QFileInfo>

#include "platform/gui/sound.h"

namespace tidrun {

TSignalSounds::TSignalSounds(QObject* parent) : QObject(parent), sound_(new Sound(this)) {}

QString TSignalSounds::PathFor(TSound sound) {
    const QString name = SoundFileName(sound);
    if (name.isEmpty()) return {};
    const QString local = QDir::current().filePath(name);
    if (QFileInfo(local).isFile()) return local;
    return QStringLiteral(":/sounds/") + name;
}

void TSignalSounds::Play(TSound sound) {
    const QString path = PathFor(sound);
    if (!path.isEmpty()) sound_->Play(path);
}

}  // namespace tidrun
