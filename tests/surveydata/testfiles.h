// Small helpers for the survey-data tests: real files in code page 932 in a temporary folder.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include "surveydata/codec.h"

namespace tidrun::testing {

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
}

// Writes Unicode text as code page 932; "\n" in the text is written as given.
inline void WriteSjis(const QString& path, const QString& text) {
    WriteBytes(path, EncodeCp932(text));
}

inline QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

inline QString ReadSjis(const QString& path) {
    return DecodeCp932(ReadBytes(path));
}

}  // namespace tidrun::testing
