// Recording-file lines; a line the reader accepted, written again by the program, must
// read back to the same line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/messagesink.h"
#include "surveydata/codec.h"
#include "surveydata/sokusencoll.h"

namespace {

using namespace tidrun;

class NullSink : public MessageSink {
  public:
    void Show(Kind, const QString&) override {}
    bool Confirm(const QString&) override { return false; }
};

struct Sokusen : TSokusenColl {
    using TSokusenColl::ParseLine;
    using TSokusenColl::TSokusenColl;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NullSink sink;
    Sokusen coll(sink);
    std::string_view all(reinterpret_cast<const char*>(data), size);
    while (!all.empty()) {
        const size_t nl = all.find('\n');
        std::string_view line = all.substr(0, nl);
        all = nl == std::string_view::npos ? std::string_view() : all.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || !coll.ParseLine(line)) continue;
        const int i = coll.Count() - 1;
        if (coll.LineName(i).contains(QChar(0xFFFD))) continue;
        const QString text = coll.FormatLine(i);
        const QByteArray bytes = EncodeCp932(text);
        Sokusen again(sink);
        if (!again.ParseLine(std::string_view(bytes.constData(), bytes.size()))) abort();
        if (again.FormatLine(0) != text || again.LineName(0) != coll.LineName(i)) abort();
    }
    return 0;
}
