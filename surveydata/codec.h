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
QByteArray EncodeCp932(QStringView text);

// Splits raw file bytes into lines: LF ends a line, a CR right before it is dropped.
// A last line without a line end is kept; an empty file gives no lines.
QStringList SplitCp932Lines(QByteArrayView bytes);

// Reads a whole file as code page 932 lines. False when the file cannot be opened.
bool ReadCp932Lines(const QString& path, QStringList& lines);

// Writes the lines, each followed by CR LF, through a temporary file that replaces `path`
// only when everything was written. False on any failure (the old file is then untouched).
bool WriteCp932LinesAtomic(const QString& path, const QStringList& lines);

}  // namespace tidrun
