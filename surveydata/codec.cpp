#include "surveydata/codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cctype>
#include <cerrno>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// Japanese input methods on Linux type these where Windows has its own code page 932
// characters (wave dash, minus, yen, double bar, cent, pound, not, em dash). They are
// stored as the bytes Windows would have written for the same key.
constexpr struct {
    char16_t u;
    unsigned short cp;
} kInputMethodChars[] = {{0x301C, 0x8160}, {0x2212, 0x817C}, {0x00A5, 0x005C}, {0x2016, 0x8161},
                         {0x00A2, 0x8191}, {0x00A3, 0x8192}, {0x00AC, 0x81CA}, {0x2014, 0x815C}};

unsigned short InputMethodCharToCp932(char16_t u) {
    for (const auto& m : kInputMethodChars)
        if (m.u == u) return m.cp;
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
        if (u < 0x80) {
            EncodeRun(text.sliced(runStart, i - runStart), out);
            out += static_cast<char>(u);
        } else if (const unsigned char odd = UnicodeToOddSingle(u)) {
            EncodeRun(text.sliced(runStart, i - runStart), out);
            out += static_cast<char>(odd);
        } else if (const unsigned short cp = InputMethodCharToCp932(u)) {
            EncodeRun(text.sliced(runStart, i - runStart), out);
            if (cp > 0xFF) out += static_cast<char>(cp >> 8);
            out += static_cast<char>(cp & 0xFF);
        } else {
            continue;
        }
        runStart = i + 1;
    }
    EncodeRun(text.sliced(runStart), out);
    return out;
}

QString TrimBlanks(const QString& text) {
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    qsizetype b = 0, e = text.size();
    while (b < e && blank(text[b])) ++b;
    while (e > b && blank(text[e - 1])) --e;
    return text.mid(b, e - b);
}

QString FirstUnencodableCp932(QStringView text) {
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QStringView one = text.sliced(i, len);
        i += len;
        const char16_t u = one[0].unicode();
        if (len == 1 && (u < 0x80 || UnicodeToOddSingle(u) || InputMethodCharToCp932(u))) {
            continue;
        }
        QStringEncoder encoder(kCodecName);
        const QByteArray b = encoder(one);
        if (encoder.hasError() || b.isEmpty()) return one.toString();
        // The converter's best fits (a Latin letter with an accent to the bare letter, say)
        // do not read back as what was typed; such a character cannot be stored either.
        if (DecodeCp932(b) != one) return one.toString();
    }
    return {};
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

namespace {

// Only a file that is not there is missing; one behind a folder that may not be searched
// is there but cannot be read.
bool Absent(const QString& path) {
#if defined(Q_OS_UNIX)
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) != 0 &&
           (errno == ENOENT || errno == ENOTDIR);
#else
    return !QFileInfo::exists(path);
#endif
}

}  // namespace

ReadResult ReadFileLimited(const QString& path, qint64 maxBytes, QByteArray& bytes) {
    bytes.clear();
    QFile f(path);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink() && Absent(path)) return ReadResult::Missing;
    if (info.isDir() || !f.open(QIODevice::ReadOnly)) return ReadResult::Unreadable;
    constexpr qint64 kPiece = 64 << 10;
    while (true) {
        const qint64 room = std::min(kPiece, maxBytes + 1 - bytes.size());
        const qsizetype old = bytes.size();
        bytes.resize(old + room);
        const qint64 got = f.read(bytes.data() + old, room);
        if (got < 0) {
            bytes.resize(old);
            return ReadResult::Unreadable;
        }
        bytes.resize(old + got);
        if (bytes.size() > maxBytes) {
            bytes.resize(maxBytes);
            return ReadResult::TooLarge;
        }
        if (got == 0) return ReadResult::Ok;
    }
}

bool ReadCp932Lines(const QString& path, QStringList& lines, qint64 maxBytes) {
    lines.clear();
    QByteArray all;
    if (ReadFileLimited(path, maxBytes, all) != ReadResult::Ok) return false;
    lines = SplitCp932Lines(all);
    return true;
}

namespace {

bool WriteAll(QFileDevice& f, const char* data, qint64 size) {
    return size == 0 || f.write(data, size) == size;
}

// The in-place path: the part beyond the old end is written first (a full disk fails
// there, and the file is cut back to its old size), then the old part is overwritten,
// which needs no new space, and the file is cut to the new size.
bool WriteInPlace(const QString& path, QByteArrayView bytes) {
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) return false;
    const qint64 oldSize = f.size();
    const qint64 newSize = bytes.size();
    if (newSize > oldSize) {
        if (!f.seek(oldSize) || !WriteAll(f, bytes.data() + oldSize, newSize - oldSize) ||
            !f.flush()) {
            f.resize(oldSize);
            return false;
        }
    }
    if (!f.seek(0) || !WriteAll(f, bytes.data(), std::min(oldSize, newSize)) || !f.flush()) {
        return false;
    }
    if (newSize < oldSize && !f.resize(newSize)) return false;
    return f.error() == QFileDevice::NoError;
}

}  // namespace

WriteResult WriteFileReplacing(const QString& path, QByteArrayView bytes) {
    const QFileInfo info(path);
    if (info.isDir()) return WriteResult::CannotCreate;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        if (!info.exists() || !info.isFile() || !info.isWritable()) {
            return WriteResult::CannotCreate;
        }
        return WriteInPlace(path, bytes) ? WriteResult::Ok : WriteResult::WriteFailed;
    }
    // The temporary file is buffered: a write that did not reach the disk shows only at the
    // flush, which the commit alone would not report.
    if (!WriteAll(f, bytes.data(), bytes.size()) || !f.flush()) {
        f.cancelWriting();
        return WriteResult::WriteFailed;
    }
    return f.commit() ? WriteResult::Ok : WriteResult::WriteFailed;
}

namespace {

// The name QSaveFile gives the temporary copy of `name`: the name, a dot and six ASCII
// letters or digits.
bool IsTemporaryCopyName(const QString& entry, const QString& name) {
    constexpr int kRandom = 6;
    if (entry.size() != name.size() + 1 + kRandom || !entry.startsWith(name) ||
        entry[name.size()] != QLatin1Char('.'))
        return false;
    return std::all_of(entry.end() - kRandom, entry.end(), [](QChar c) {
        return c.unicode() < 0x80 && std::isalnum(static_cast<unsigned char>(c.unicode()));
    });
}

}  // namespace

int RemoveLeftoverCopies(const QString& path) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name.isEmpty()) return 0;
    const QDir dir = info.absoluteDir();
    int removed = 0;
    for (const QString& entry :
         dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks)) {
        if (!IsTemporaryCopyName(entry, name)) continue;
        const QString copy = dir.filePath(entry);
#if defined(Q_OS_UNIX)
        // Only a plain file of this user's: never what a link leads to, nor another's file.
        struct stat st;
        if (::lstat(QFile::encodeName(copy).constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
#endif
        if (QFile::remove(copy)) ++removed;
    }
    return removed;
}

bool WriteCp932LinesAtomic(const QString& path, const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) {
        out += EncodeCp932(line);
        out += "\r\n";
    }
    return WriteFileReplacing(path, out) == WriteResult::Ok;
}

}  // namespace tidrun
