// Point-file lines of every kind; a mark the reader accepted must come back unchanged
// through the writer and the reader again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/messagesink.h"
#include "surveydata/codec.h"
#include "surveydata/pointcoll.h"

namespace {

using namespace tidrun;

struct Kijun : TKijunColl {
    using TKijunColl::ParseLine;
    using TKijunColl::TKijunColl;
};
struct Tansa : TTansaColl {
    using TTansaColl::ParseLine;
    using TTansaColl::TTansaColl;
};
struct Ijo : TIjoColl {
    using TIjoColl::ParseLine;
    using TIjoColl::TIjoColl;
};
struct Misoku : TMisokuColl {
    using TMisokuColl::FormatLine;
    using TMisokuColl::ParseLine;
    using TMisokuColl::TMisokuColl;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NullSink sink;
    Kijun kijun(sink);
    Tansa tansa(sink);
    Ijo ijo(sink);
    Misoku misoku(sink);
    std::string_view all(reinterpret_cast<const char*>(data), size);
    while (!all.empty()) {
        const size_t nl = all.find('\n');
        std::string_view line = all.substr(0, nl);
        all = nl == std::string_view::npos ? std::string_view() : all.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        kijun.ParseLine(line);
        tansa.ParseLine(line);
        ijo.ParseLine(line);
        if (!misoku.ParseLine(line)) continue;
        const TMisoku& m = misoku.Item(misoku.Count() - 1);
        if (m.Name.contains(QChar(0xFFFD)) || m.Name.contains(QLatin1Char('"'))) continue;
        const QByteArray written = EncodeCp932(misoku.FormatLine(misoku.Count() - 1));
        Misoku again(sink);
        if (!again.ParseLine(std::string_view(written.constData(), written.size()))) abort();
        if (again.Item(0).Name != m.Name || again.Item(0).Number != m.Number) abort();
    }
    return 0;
}
