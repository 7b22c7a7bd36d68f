#include "console/cutwriters.h"

#include <QDateTime>
#include <QDir>

#include <utility>

#include "platform/messagesink.h"
#include "surveydata/appendfile.h"
#include "surveydata/codec.h"
#include "surveydata/transfertemplate.h"

namespace tidrun {

QString TLineLogWriter::PathOf(int lineNo) const {
    return QDir(folder_).filePath(QStringLiteral("Line%1.Log").arg(lineNo));
}

bool TLineLogWriter::BeginLine(int lineNo) {
    log_.SetLogMode(TLogMode::lmOff);
    if (folder_.isEmpty()) return true;
    log_.SetLogFile(PathOf(lineNo));
    log_.SetLogMode(TLogMode::lmOn);
    return log_.LogMode() == TLogMode::lmOn;
}

bool TLineLogWriter::Write(const TCut& cut) {
    if (folder_.isEmpty()) return true;
    return log_.Write(cut.sentence);
}

namespace {

const QString kDepthWriteError = QStringLiteral("水深ファイル書込エラー");

// The instant only: the companion writes it in local time itself, without QDateTime's
// local-time conversion.
QDateTime InstantOf(qint64 utcMs) {
    return QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC);
}

}  // namespace

void TDepthCutWriter::Depth(const TDepthReading& reading, qint64 receivedUtcMs) {
    last_ = reading;
    lastMs_ = receivedUtcMs;
}

std::optional<double> TDepthCutWriter::DepthForCut() const {
    if (!last_ || !last_->hasBottom) return std::nullopt;
    const qint64 age = positionMs_ - lastMs_;
    if (age < 0 || age > kMaxAgeMs) return std::nullopt;
    return last_->belowSurface;
}

QString TDepthCutWriter::Path() const {
    return DepthFilePath(lines_.FileName());
}

bool TDepthCutWriter::Fail() {
    sink_.Error(kDepthWriteError + QStringLiteral("\r\nﾌｧｲﾙ名：") + Path());
    return false;
}

bool TDepthCutWriter::BeginLine(int) {
    cutNo_ = 0;
    if (!on_) return true;
    if (!file_.Open(lines_.FileName())) return Fail();
    return true;
}

bool TDepthCutWriter::Write(const TCut& cut) {
    if (!on_) return true;
    if (!file_.IsOpen() || !file_.StillAtPath()) return Fail();
    TDepthRow row;
    // The recording file, after this writer, numbers the cut: the next serial and the next
    // cut number of the line.
    row.serial = lines_.Serial() + 1;
    row.lineNo = cut.lineNo;
    row.cutNo = cutNo_ + 1;
    row.lineName = cut.record.LineName;
    row.x = cut.record.X;
    row.y = cut.record.Y;
    row.depth = DepthForCut();
    row.ageMs = positionMs_ - lastMs_;
    row.positionTime = InstantOf(positionMs_);
    row.depthTime = InstantOf(lastMs_);
    if (!file_.StartAppend(row)) return Fail();
    syncing_ = true;
    ++cutNo_;
    return true;
}

bool TDepthCutWriter::Settle() {
    if (!std::exchange(syncing_, false)) return true;
    if (file_.FinishAppend()) return true;
    return Fail();  // the row is off the file; TakeBack, which follows, counts it off
}

void TDepthCutWriter::TakeBack() {
    if (!on_ || !file_.IsOpen()) return;
    // A row whose own sync failed is off the file already; TakeBackLast then takes nothing.
    if (std::exchange(syncing_, false)) file_.FinishAppend();
    if (file_.TakeBackLast()) {
        --cutNo_;
    } else {
        Fail();
    }
}

void TDepthCutWriter::EndLine() {
    Settle();
    file_.Close();
}

QString CheckDepthCompanion(const TSokusenColl& lines, bool depthOn, const TDepthCompanion* read) {
    const QString path = DepthFilePath(lines.FileName());
    TDepthTable own;
    const DepthLoad load = read ? read->load : LoadDepthFile(path, own);
    const TDepthTable& table = read ? read->table : own;
    switch (load) {
        case DepthLoad::Missing:
            return {};
        case DepthLoad::Unreadable:
            return QStringLiteral("水深ファイルを読めません\r\nﾌｧｲﾙ名：") + path;
        case DepthLoad::Ok:
            break;
    }
    if (depthOn) {
        // Opening for appending gives a torn last line its line end.
        TAppendFile file;
        if (file.Open(path)) file.Close();
    }
    const auto missing = CutsWithoutDepthRow(
        lines.Count(),
        [&lines](int i) {
            const TSokusen& r = lines.Item(i);
            return std::pair<std::int32_t, std::int32_t>(r.Serial, r.LineNo);
        },
        table, depthOn);
    return MissingDepthMessage(missing, path);
}

void TTransferWriter::SetTarget(SerialLink* port, const QByteArray& text) {
    port_ = port;
    text_ = text;
    const QString decoded = DecodeCp932(text);
    template_ = decoded.contains(QLatin1Char('{')) ? decoded : QString();
}

bool TTransferWriter::Write(const TCut& cut) {
    if (text_.isEmpty()) return true;
    if (template_.isEmpty()) {
        SendIfRoom(port_, text_.constData(), text_.size());
        return true;
    }
    // After the recording file: the cut is counted, its numbers are the collection's last.
    TTransferFields fields;
    fields.cut = lines_.CutNo();
    fields.serial = lines_.Serial();
    fields.line = cut.record.LineName;
    if (depth_) fields.depth = depth_->DepthForCut();
    fields.time = cut.record.Time.time();
    const QByteArray bytes = EncodeCp932(ExpandTransferText(template_, fields));
    SendIfRoom(port_, bytes.constData(), bytes.size());
    return true;
}

}  // namespace tidrun
