#include "planview/cutstore.h"

#include <algorithm>
#include <cmath>

#include "surveydata/depthfile.h"
#include "surveydata/sokusencoll.h"

namespace tidrun {

void TCutStore::Box::Take(double h, double v) {
    HMin = std::min(HMin, h);
    HMax = std::max(HMax, h);
    VMin = std::min(VMin, v);
    VMax = std::max(VMax, v);
}

void TCutStore::Append(double x, double y, bool newLine) {
    if (count_ == 0) {
        originH_ = y;
        originV_ = x;
    }
    const int slot = count_ % kChunkCuts;
    if (slot == 0) {
        chunks_.push_back(std::make_unique<Chunk>());
        boxes_.emplace_back();
        parts_.resize(parts_.size() + kParts);
    }
    Chunk& c = *chunks_.back();
    Box& all = boxes_.back();
    c.H[slot] = static_cast<float>(y - originH_);
    c.V[slot] = static_cast<float>(x - originV_);
    // Boxes hold the stored (rounded) values, so culling agrees with what is drawn.
    const double h = originH_ + c.H[slot], v = originV_ + c.V[slot];
    Box& part = parts_[parts_.size() - kParts + slot / kPartCuts];
    if (slot % kPartCuts == 0) {
        part = {h, h, v, v};
        if (count_ > 0) part.Take(Y(count_ - 1), X(count_ - 1));  // the segment leading in
        if (slot == 0) all = part;
    }
    part.Take(h, v);
    all.Take(h, v);
    if (newLine || count_ == 0) lineStarts_.push_back(count_);
    ++count_;
    if (!depths_.empty()) depths_.push_back(kNoDepth);
    ++revision_;
}

void TCutStore::SyncFrom(const TSokusenColl& records) {
    if (records.Count() < count_) Clear();
    for (int i = count_; i < records.Count(); ++i) {
        const TSokusen& r = records.Item(i);
        // Names are held once per run, so an equal index means an equal name.
        const bool newLine = i == 0 || (r.NameIndex != lastNameIndex_ &&
                                        records.LineName(i) != records.LineName(i - 1));
        lastNameIndex_ = r.NameIndex;
        Append(r.X, r.Y, newLine);
    }
}

void TCutStore::Clear() {
    chunks_.clear();
    boxes_.clear();
    parts_.clear();
    lineStarts_.clear();
    depths_.clear();
    count_ = 0;
    lastNameIndex_ = 0;
    ++revision_;
}

void TCutStore::SetDepth(int i, float depth) {
    if (i < 0 || i >= count_) return;
    if (depths_.empty()) {
        if (std::isnan(depth)) return;
        depths_.assign(static_cast<std::size_t>(count_), kNoDepth);
    }
    depths_[static_cast<std::size_t>(i)] = depth;
    ++revision_;
}

void TCutStore::JoinDepths(const TSokusenColl& records, const TDepthTable& table) {
    depths_.clear();
    const int n = std::min(count_, records.Count());
    for (int i = 0; i < n; ++i)
        if (const auto d = table.DepthOf(records.Item(i).Serial)) SetDepth(i, *d);
    ++revision_;
}

std::size_t TCutStore::MemoryBytes() const {
    return chunks_.capacity() * sizeof(std::unique_ptr<Chunk>) + chunks_.size() * sizeof(Chunk) +
           (boxes_.capacity() + parts_.capacity()) * sizeof(Box) +
           lineStarts_.capacity() * sizeof(int) + depths_.capacity() * sizeof(float);
}

}  // namespace tidrun
