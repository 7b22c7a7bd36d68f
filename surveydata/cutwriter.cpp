#include "surveydata/cutwriter.h"

#include <algorithm>

namespace tidrun {

std::optional<int> TRecordingFileWriter::NewLine() {
    const std::int64_t n = lines_.BeginLine();
    if (!lines_.Recording()) return std::nullopt;
    return static_cast<int>(std::min<std::int64_t>(n, INT32_MAX));
}

bool TRecordingFileWriter::Write(const TCut& cut) {
    return lines_.AddCut(cut.record, [this] { return SettleEarlier(); }) >= 0;
}

bool TRecordingFileWriter::SettleEarlier() {
    bool all = true;
    for (TCutWriter* w : earlier_) all = w->Settle() && all;  // each waited for
    return all;
}

}  // namespace tidrun
