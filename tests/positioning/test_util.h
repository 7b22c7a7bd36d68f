// Helpers shared by the positioning tests.
#pragma once

#include <QFile>

#include <cstdio>
#include <string>
#include <string_view>

#include "positioning/nmea.h"

namespace tidrun::test {

// "$" + body + "*" + checksum + CR, as a receiver sends it.
inline std::string Sentence(std::string_view body) {
    unsigned x = 0;
    for (unsigned char c : body) x ^= c;
    char cs[8];
    std::snprintf(cs, sizeof cs, "*%02X\r", x);
    return "$" + std::string(body) + cs;
}

inline std::string ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray b = f.readAll();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

inline const QString kNmeaData = QStringLiteral("../shared/data/nmea/");
inline const QString kGeodesyData = QStringLiteral("../shared/data/geodesy/");

}  // namespace tidrun::test
