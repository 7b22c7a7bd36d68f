#include "surveydata/codec.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace tidrun {

namespace {

constexpr const char* kCodecName = "windows-31j";

// Qt's converter (through ICU) swaps some control characters (0x1A, 0x1C, 0x7F) and turns
// bytes it does not know into U+001A. Code page 932 as Windows has it keeps 0x00-0x7F as
// ASCII and maps the unused single bytes to fixed code points; both are done here, and
// only the double-byte characters and the half-width katakana go through the converter.
constexpr char16_t kOddSingle[][2] = {
    {0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}};

constexpr bool IsLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
constexpr bool IsTrail(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

char16_t OddSingleToUnicode(unsigned char c) {
    for (const auto& m : kOddSingle)
        if (m[0] == c) return m[1];
    return 0;
}

unsigned char UnicodeToOddSingle(char16_t u) {
    for (const auto& m : kOddSingle)
        if (m[1] == u) return static_cast<unsigned char>(m[0]);
    return 0;
}

void DecodeRun(QByteArrayView run, QString& out) {
    if (run.isEmpty()) return;
    QStringDecoder decoder(kCodecName);
    QString text = decoder(run);
    // No ASCII byte is in a run, so U+001A here is the converter's mark for a byte pair
    // it does not know.
    text.replace(QChar(0x1A), QChar(QChar::ReplacementCharacter));
    out += text;
}

void EncodeRun(QStringView run, QByteArray& out) {
    if (run.isEmpty()) return;
    QStringEncoder encoder(kCodecName);
    QByteArray bytes = encoder(run);
    if (!encoder.hasError()) {
        out += bytes;
        return;
    }
    // A character code page 932 cannot hold becomes '?', as Windows writes it.
    for (qsizetype i = 0; i < run.size();) {
        const qsizetype len = (run[i].isHighSurrogate() && i + 1 < run.size()) ? 2 : 1;
        QStringEncoder one(kCodecName);
        QByteArray b = one(run.mid(i, len));
        out += one.hasError() || b.isEmpty() ? QByteArray("?") : b;
        i += len;
    }
}

}  // namespace

QString DecodeCp932(QByteArrayView bytes) {
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
    // Plain ASCII is by far the common case in these files.
    if (i == n) return QString::fromLatin1(bytes.data(), n);
    QString out = QString::fromLatin1(bytes.data(), i);
    qsizetype runStart = i;
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (IsLead(c) && i + 1 < n && IsTrail(static_cast<unsigned char>(bytes[i + 1]))) {
            i += 2;
            continue;
        }
        if (c >= 0xA1 && c <= 0xDF) {  // half-width katakana
            ++i;
            continue;
        }
        DecodeRun(bytes.sliced(runStart, i - runStart), out);
        if (c < 0x80) {
            out += QChar(c);
        } else if (const char16_t u = OddSingleToUnicode(c)) {
            out += QChar(u);
        } else {
            out += QChar(QChar::ReplacementCharacter);  // a lead byte without its trail byte
        }
        ++i;
        runStart = i;
    }
    DecodeRun(bytes.sliced(runStart, i - runStart), out);
    return out;
}

QByteArray EncodeCp932(QStringView text) {
    QByteArray out;
    out.reserve(text.size() * 2);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        const unsigned char odd = UnicodeToOddSingle(u);
        if (u >= 0x80 && !odd) continue;
        EncodeRun(text.sliced(runStart, i - runStart), out);
        out += static_cast<char>(u < 0x80 ? u : odd);
        runStart = i + 1;
    }
    EncodeRun(text.sliced(runStart), out);
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
