#include "surveydata/codec.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace tidrun {

namespace {

constexpr const char* kCodecName = "windows-31j";

}  // namespace

QString DecodeCp932(QByteArrayView bytes) {
    if (bytes.isEmpty()) return {};
    // Plain ASCII is by far the common case in these files; skip the converter then.
    bool ascii = true;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) return QString::fromLatin1(bytes.data(), bytes.size());
    QStringDecoder decoder(kCodecName);
    return decoder(bytes);
}

QByteArray EncodeCp932(QStringView text) {
    QStringEncoder encoder(kCodecName);
    QByteArray out = encoder(text);
    if (!encoder.hasError()) return out;
    // A character code page 932 cannot hold becomes '?', as Windows writes it.
    out.clear();
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        QStringEncoder one(kCodecName);
        QByteArray b = one(text.mid(i, len));
        out += one.hasError() ? QByteArray("?") : b;
        i += len;
    }
    return out;
}

QStringList SplitCp932Lines(QByteArrayView bytes) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && bytes[end] != '\n') ++end;
        qsizetype stop = end;
        if (stop > start && bytes[stop - 1] == '\r') --stop;
        lines << DecodeCp932(bytes.sliced(start, stop - start));
        start = end + 1;
    }
    return lines;
}

bool ReadCp932Lines(const QString& path, QStringList& lines) {
    lines.clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray all = f.readAll();
    if (f.error() != QFileDevice::NoError) return false;
    lines = SplitCp932Lines(all);
    return true;
}

bool WriteCp932LinesAtomic(const QString& path, const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) {
        out += EncodeCp932(line);
        out += "\r\n";
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    if (f.write(out) != out.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

}  // namespace tidrun
