#include "surveydata/windowspath.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace tidrun {

namespace {

bool SameIgnoringAsciiCase(const QString& a, const QString& b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
        if (x != y) return false;
    }
    return true;
}

}  // namespace

QString AsWindowsWould(const QString& baseDir, const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString dir = QDir::isAbsolutePath(p) || baseDir.isEmpty() ? QString() : baseDir;
    if (p.startsWith(QLatin1Char('/'))) dir = QStringLiteral("/");
    const QStringList parts = p.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        QString name = part;
        const QString exact = dir.isEmpty() ? part : QDir(dir).filePath(part);
        if (part != QLatin1String(".") && part != QLatin1String("..") &&
            !QFileInfo::exists(exact)) {
            const QStringList entries = QDir(dir.isEmpty() ? QStringLiteral(".") : dir)
                                            .entryList(QDir::AllEntries | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot,
                                                       QDir::Name);
            for (const QString& e : entries) {
                if (SameIgnoringAsciiCase(e, part)) {
                    name = e;
                    break;
                }
            }
        }
        dir = dir.isEmpty() ? name : QDir(dir).filePath(name);
    }
    return dir;
}

}  // namespace tidrun
