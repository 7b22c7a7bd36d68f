// Recording-file lines: the one-pass reader must agree with splitting the fields first and
// converting each; a line it accepted, written again by the program, must read back to
// the same line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/fuzzlines.h"
#include "platform/messagesink.h"
#include "surveydata/codec.h"
#include "surveydata/sokusencoll.h"

namespace {

using namespace tidrun;

struct Sokusen : TSokusenColl {
    using TSokusenColl::ParseLine;
    using TSokusenColl::TSokusenColl;
};

std::string WithoutQuotes(std::string_view f) {
    std::string out;
    for (char c : f)
        if (c != '"') out.push_back(c);
    return out;
}

// The reference reading: split into 17 fields, then convert each whole field.
bool Reference(std::string_view line, TSokusen& r, std::string& name) {
    std::string_view f[17];
    SplitFields(line, f, 17);
    if (!ParseInt(f[0], r.Serial) || !ParseInt(f[1], r.LineNo) || !ParseInt(f[3], r.CutNo) ||
        !ParseReal(f[4], r.X) || !ParseReal(f[5], r.Y) || !ParseReal(f[6], r.H) ||
        !ParseReal(f[7], r.Dist) || !ParseInt(f[8], r.GpsInt) || !ParseReal(f[9], r.GpsA) ||
        !ParseReal(f[10], r.GpsB) || !ParseReal(f[11], r.GpsH) || !ParseReal(f[13], r.DX) ||
        !ParseReal(f[14], r.DY) || !ParseReal(f[15], r.DH) || !ParseReal(f[16], r.DA)) {
        return false;
    }
    name = WithoutQuotes(f[2]);
    return ParseCutTime(WithoutQuotes(f[12]), r.Time);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NullSink sink;
    Sokusen coll(sink);
    ForEachLine(data, size, [&](std::string_view line) {
        TSokusen ref{};
        std::string refName;
        const bool refOk = Reference(line, ref, refName);
        if (coll.ParseLine(line) != refOk) abort();
        if (!refOk) return;
        const int i = coll.Count() - 1;
        const TSokusen& got = coll.Item(i);
        ref.NameIndex = got.NameIndex;
        if (std::memcmp(&ref, &got, sizeof ref) != 0) abort();
        if (coll.LineName(i) != DecodeCp932(QByteArrayView(refName.data(), refName.size())))
            abort();
        if (coll.LineName(i).contains(QChar(0xFFFD))) return;
        const QString text = coll.FormatLine(i);
        const QByteArray bytes = EncodeCp932(text);
        Sokusen again(sink);
        if (!again.ParseLine(std::string_view(bytes.constData(), bytes.size()))) abort();
        if (again.FormatLine(0) != text || again.LineName(0) != coll.LineName(i)) abort();
    });
    return 0;
}
