#include "console/userguide.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "platform/messagesink.h"

namespace tidrun {

QString UserGuidePath(const QString& programDir) {
    return QDir::cleanPath(
        QDir(programDir).filePath(QStringLiteral("../share/doc/tidrun/guide/index.html")));
}

void OpenUserGuide(MessageSink& sink, const QString& programDir) {
    const QString path = UserGuidePath(programDir);
    if (!QFileInfo(path).isFile()) {
        sink.Error(QStringLiteral("取扱説明書が見つかりません\r\nﾌｧｲﾙ名：") + path);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        sink.Error(QStringLiteral("取扱説明書を開けません\r\nﾌｧｲﾙ名：") + path);
}

}  // namespace tidrun
