// The transfer text sent to the sounder at each cut, with fields filled in: {cut} the cut
// number, {serial} the serial, {line} the line name, {depth} the depth "%.2f" (empty when
// none), {time} the cut's time "HH:mm:ss". A text without a brace is sent as it is.
#pragma once

#include <QString>
#include <QTime>

#include <optional>

namespace tidrun {

struct TTransferFields {
    int cut = 0;
    int serial = 0;
    QString line;
    std::optional<double> depth;
    QTime time;
};

// The first brace group that is not one of the fields ("{x}", or "{..." left open), or the
// empty string when every field is known.
QString UnknownTransferField(const QString& text);

// The text with every known field replaced; anything else stays as written.
QString ExpandTransferText(const QString& text, const TTransferFields& fields);

}  // namespace tidrun
