#include "console/cutwriters.h"

#include <QDir>

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

void TTransferWriter::SetTarget(SerialLink* port, const QByteArray& text) {
    port_ = port;
    text_ = text;
}

bool TTransferWriter::Write(const TCut&) {
    if (!text_.isEmpty()) SendIfRoom(port_, text_.constData(), text_.size());
    return true;
}

}  // namespace tidrun
