// INI text: parsing, writing a key, and reading back must keep every other value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "surveydata/codec.h"
#include "surveydata/inifile.h"

using namespace tidrun;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TIniDocument doc;
    doc.Parse(DecodeCp932(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))));
    const QString section = QStringLiteral("設定");
    const QString key = QStringLiteral("通信");
    struct Entry {
        QString section, key;
        std::optional<QString> value;
    };
    std::vector<Entry> before;
    for (const QString& s : doc.Sections())
        for (const QString& k : doc.Keys(s)) before.push_back({s, k, doc.Value(s, k)});

    TIniDocument copy;
    copy.Parse(doc.Text());
    if (copy.Text() != doc.Text()) abort();

    doc.SetValue(section, key, QStringLiteral("COM3"));
    if (doc.Value(section, key) != QStringLiteral("COM3")) abort();
    TIniDocument reread;
    reread.Parse(doc.Text());
    if (reread.Value(section, key) != QStringLiteral("COM3")) abort();
    for (const Entry& e : before) {
        if (e.section.compare(section, Qt::CaseInsensitive) == 0 &&
            e.key.compare(key, Qt::CaseInsensitive) == 0) {
            continue;
        }
        if (reread.Value(e.section, e.key) != e.value) abort();
    }
    return 0;
}
