#include "surveydata/transfertemplate.h"

#include <QStringView>

namespace tidrun {

namespace {

// The field's text, or nothing for a name that is no field.
std::optional<QString> FieldText(QStringView name, const TTransferFields* f) {
    auto value = [f](auto make) { return f ? make() : QString(); };
    if (name == u"cut") return value([f] { return QString::number(f->cut); });
    if (name == u"serial") return value([f] { return QString::number(f->serial); });
    if (name == u"line") return value([f] { return f->line; });
    if (name == u"depth") {
        return value([f] { return f->depth ? QString::number(*f->depth, 'f', 2) : QString(); });
    }
    if (name == u"time") return value([f] { return f->time.toString(QStringLiteral("HH:mm:ss")); });
    return std::nullopt;
}

// Walks the text once: known fields replaced (when fields are given), the first unknown
// group reported through unknown.
QString Walk(const QString& text, const TTransferFields* fields, QString* unknown) {
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('{'), i);
        if (open < 0) {
            out += QStringView(text).mid(i);
            break;
        }
        out += QStringView(text).mid(i, open - i);
        const qsizetype close = text.indexOf(QLatin1Char('}'), open + 1);
        const QStringView group =
            close < 0 ? QStringView(text).mid(open) : QStringView(text).mid(open, close - open + 1);
        const auto value =
            close < 0 ? std::nullopt
                      : FieldText(QStringView(text).mid(open + 1, close - open - 1), fields);
        if (value) {
            out += *value;
        } else {
            if (unknown && unknown->isEmpty()) *unknown = group.toString();
            out += group;
        }
        i = open + group.size();
    }
    return out;
}

}  // namespace

QString UnknownTransferField(const QString& text) {
    QString unknown;
    Walk(text, nullptr, &unknown);
    return unknown;
}

QString ExpandTransferText(const QString& text, const TTransferFields& fields) {
    if (!text.contains(QLatin1Char('{'))) return text;
    return Walk(text, &fields, nullptr);
}

}  // namespace tidrun
