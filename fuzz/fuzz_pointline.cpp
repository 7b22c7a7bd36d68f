// Point-file lines of every kind; a mark the reader accepted must come back unchanged
// through the writer and the reader again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzzlines.h"
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
    ForEachLine(data, size, [&](std::string_view line) {
        kijun.ParseLine(line);
        tansa.ParseLine(line);
        ijo.ParseLine(line);
        if (!misoku.ParseLine(line)) return;
        const TMisoku& m = misoku.Item(misoku.Count() - 1);
        if (m.Name.contains(QChar(0xFFFD)) || m.Name.contains(QLatin1Char('"'))) return;
        const QByteArray written = EncodeCp932(misoku.FormatLine(misoku.Count() - 1));
        Misoku again(sink);
        if (!again.ParseLine(std::string_view(written.constData(), written.size()))) abort();
        if (again.Item(0).Name != m.Name || again.Item(0).Number != m.Number) abort();
    });
    return 0;
}
