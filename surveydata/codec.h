// The one text codec of the system: code page 932 (Shift_JIS as Windows has it).
// Readers accept CR LF and LF line ends; writers end every line with CR LF.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace tidrun {

QString DecodeCp932(QByteArrayView bytes);
// Characters code page 932 cannot hold are written as '?'; callers that take text from the
// user check it with FirstUnencodableCp932 first.
QByteArray EncodeCp932(QStringView text);
// The first character of the text (one or two UTF-16 units) that cannot be stored in code
// page 932 and read back as the same character; empty when every character can.
QString FirstUnencodableCp932(QStringView text);

// The text without surrounding single-byte blanks and tabs. The full-width blank U+3000
// belongs to the text (Japanese names use it), unlike QString::trimmed.
QString TrimBlanks(const QString& text);

// Splits raw file bytes into lines: LF ends a line, a CR right before it is dropped.
// A last line without a line end is kept; an empty file gives no lines.
QStringList SplitCp932Lines(QByteArrayView bytes);

// Reads a whole file as code page 932 lines. False when the file cannot be opened, cannot
// be read to its end or is larger than maxBytes.
bool ReadCp932Lines(const QString& path, QStringList& lines, qint64 maxBytes = 16 << 20);

enum class ReadResult { Ok, Missing, Unreadable, TooLarge };
// Reads a whole file of at most maxBytes in bounded pieces (a file that is larger, or a
// device that never ends, is not held in memory). `bytes` holds what was read.
ReadResult ReadFileLimited(const QString& path, qint64 maxBytes, QByteArray& bytes);

// Replaces the file at `path` with `bytes`, checking every write and the final flush. The
// new content goes to a temporary file beside it that takes the file's place only when
// complete. Where the folder does not let a temporary file be made but the file itself
// may be written, it is written in place, growing it first, so that a full disk still
// leaves the old content whole. On any failure the old file is unchanged: CannotCreate when
// no file could be opened for writing, WriteFailed when a write or the flush failed.
enum class WriteResult { Ok, CannotCreate, WriteFailed };
WriteResult WriteFileReplacing(const QString& path, QByteArrayView bytes);

// Removes the temporary copies that a WriteFileReplacing of `path` cut short by a kill or a
// power cut left beside the file: plain files of this user in the file's own folder named
// "<file name>.XXXXXX" (six ASCII letters or digits), as the writer names them, and nothing
// else. The file itself was not touched by such a write. Returns how many were removed.
int RemoveLeftoverCopies(const QString& path);

// Writes the lines, each followed by CR LF, through a temporary file that replaces `path`
// only when everything was written. False on any failure (the old file is then untouched).
bool WriteCp932LinesAtomic(const QString& path, const QStringList& lines);

}  // namespace tidrun
