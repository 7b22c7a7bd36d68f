#include "console/rawlog.h"

#include <QDateTime>
#include <QDir>

#include <algorithm>

#include "surveydata/codec.h"

namespace tidrun {

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

const QByteArray& SourceBytes(TRawSource source) {
    static const QByteArray gps = "GPS";
    static const QByteArray sounder = EncodeCp932(u"測深");
    return source == TRawSource::GPS ? gps : sounder;
}

}  // namespace

void TRawLog::Start(const QString& folder) {
    Stop();
    folder_ = folder;
    QDir().mkpath(folder);
    on_ = true;
    day_ = QDate();
    lastMs_ = 0;
}

void TRawLog::Stop() {
    on_ = false;
    log_.SetLogMode(TLogMode::lmOff);
}

QString TRawLog::PathOf(const QDate& day) const {
    return QDir(folder_).filePath(QStringLiteral("Raw%1.log").arg(day.toString(u"yyyyMMdd")));
}

bool TRawLog::Write(TRawSource source, QByteArrayView sentence, qint64 receivedUtcMs) {
    if (!on_) return false;
    // Sentences of two ports are handled in the order they arrived; a clock stepped back
    // does not make the log go back in time.
    const qint64 ms = std::max(receivedUtcMs, lastMs_);
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(ms);
    if (at.date() != day_) {
        day_ = at.date();
        log_.SetLogMode(TLogMode::lmOff);
        log_.SetLogFile(PathOf(day_));
        log_.SetLogMode(TLogMode::lmAppend);
    }
    while (!sentence.isEmpty() && (sentence.back() == '\n' || sentence.back() == '\r'))
        sentence.chop(1);
    line_ = at.toString(kTimeFormat).toLatin1();
    line_ += '\t';
    line_ += SourceBytes(source);
    line_ += '\t';
    line_ += sentence;
    line_ += "\r\n";
    if (log_.LogMode() == TLogMode::lmOff || !log_.Write(line_)) {
        // Reported once by the log (opening or writing); logging stays off.
        on_ = false;
        return false;
    }
    lastMs_ = ms;
    return true;
}

}  // namespace tidrun
