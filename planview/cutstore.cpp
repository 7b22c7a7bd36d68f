#include "planview/cutstore.h"

#include <algorithm>

#include "surveydata/sokusencoll.h"

namespace tidrun {

void TCutStore::Append(double x, double y, bool newLine) {
    if (count_ == 0) {
        originH_ = y;
        originV_ = x;
    }
    const int slot = count_ % kChunkCuts;
    if (slot == 0) {
        auto chunk = std::make_unique<Chunk>();
        chunk->HMin = chunk->HMax = y;
        chunk->VMin = chunk->VMax = x;
        if (count_ > 0) {  // the segment from the previous chunk's last point
            const double ph = Y(count_ - 1), pv = X(count_ - 1);
            chunk->HMin = std::min(chunk->HMin, ph);
            chunk->HMax = std::max(chunk->HMax, ph);
            chunk->VMin = std::min(chunk->VMin, pv);
            chunk->VMax = std::max(chunk->VMax, pv);
        }
        chunks_.push_back(std::move(chunk));
    }
    Chunk& c = *chunks_.back();
    c.H[slot] = static_cast<float>(y - originH_);
    c.V[slot] = static_cast<float>(x - originV_);
    // The box holds the stored (rounded) values, so culling agrees with what is drawn.
    const double h = originH_ + c.H[slot], v = originV_ + c.V[slot];
    c.HMin = std::min(c.HMin, h);
    c.HMax = std::max(c.HMax, h);
    c.VMin = std::min(c.VMin, v);
    c.VMax = std::max(c.VMax, v);
    if (newLine || count_ == 0) lineStarts_.push_back(count_);
    ++count_;
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
    lineStarts_.clear();
    count_ = 0;
    lastNameIndex_ = 0;
    ++revision_;
}

std::size_t TCutStore::MemoryBytes() const {
    return chunks_.capacity() * sizeof(std::unique_ptr<Chunk>) + chunks_.size() * sizeof(Chunk) +
           lineStarts_.capacity() * sizeof(int);
}

}  // namespace tidrun
