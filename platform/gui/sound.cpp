#include "platform/gui/sound.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace tidrun {

Sound::Sound(QObject* parent) : QObject(parent) {}

bool Sound::Play(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) return false;
    const QString key = info.absoluteFilePath();
    QSoundEffect* effect = effects_.value(key, nullptr);
    if (!effect) {
        effect = new QSoundEffect(this);
        // Sounds built into the program live under ":/" and play from their qrc: address.
        effect->setSource(key.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + key)
                                                           : QUrl::fromLocalFile(key));
        effects_.insert(key, effect);
    }
    // An effect still loading plays once it is ready; without a device it reports an error
    // status and plays nothing.
    if (effect->isPlaying()) effect->stop();
    effect->play();
    return true;
}

}  // namespace tidrun
