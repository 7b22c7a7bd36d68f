#include "platform/gui/sound.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QFileInfo>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>

namespace tidrun {

Sound::Sound(QObject* parent) : QObject(parent) {}

Sound::~Sound() {
    QDeadlineTimer deadline(kLoadWaitMs);
    for (QSoundEffect* effect : std::as_const(effects_)) {
        // The loader reports through events queued to the effect's own objects: deliver
        // those alone, so that nothing else of the program runs inside this destructor.
        while (effect->status() == QSoundEffect::Loading && !deadline.hasExpired()) {
            QCoreApplication::sendPostedEvents(effect, QEvent::MetaCall);
            for (QObject* child : effect->children())
                QCoreApplication::sendPostedEvents(child, QEvent::MetaCall);
            if (effect->status() == QSoundEffect::Loading) QThread::msleep(2);
        }
        effect->stop();
    }
}

bool Sound::Play(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) return false;
    const QString key = info.absoluteFilePath();
    QSoundEffect* effect = effects_.value(key, nullptr);
    if (!effect) {
        effect = new QSoundEffect(this);
        effect->setSource(QUrl::fromLocalFile(key));
        effects_.insert(key, effect);
    }
    // An effect still loading plays once it is ready; without a device it reports an error
    // status and plays nothing.
    if (effect->isPlaying()) effect->stop();
    effect->play();
    return true;
}

}  // namespace tidrun
