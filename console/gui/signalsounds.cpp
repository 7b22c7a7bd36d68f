#include "console/gui/signalsounds.h"

#include <QDir>
#include <QFileInfo>

#include "platform/gui/sound.h"

// The built-in sounds live in this static library: their resource is registered by name,
// as nothing else refers to it and the linker would leave it out.
static void InitSoundResources() {
    Q_INIT_RESOURCE(sounds);
}

namespace tidrun {

TSignalSounds::TSignalSounds(QObject* parent) : QObject(parent), sound_(new Sound(this)) {
    InitSoundResources();
}

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
