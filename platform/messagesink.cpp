#include "platform/messagesink.h"

#include <cstdio>

namespace tidrun {

void StderrSink::Show(Kind, const QString& text) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
}

bool StderrSink::Confirm(const QString& text) {
    Show(Kind::Plain, text);
    return false;
}

}  // namespace tidrun
