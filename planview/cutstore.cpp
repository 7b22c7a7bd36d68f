#include "planview/cutstore.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    if (slot == 0 && chunks_.size() % kGroupChunks == 1) {
        groups_.push_back(all);  // a group's first chunk: its box holds the record before
    } else if (slot == 0) {
        groups_.back().Take(all.HMin, all.VMin);
        groups_.back().Take(all.HMax, all.VMax);
    } else {
        groups_.back().Take(h, v);
    }
    if (newLine || count_ == 0) lineStarts_.push_back(count_);
    // The levels that keep this record: all at a line's start, else those it lies farther
    // from the last record kept than the tolerance.
    const float fh = c.H[slot], fv = c.V[slot];
    unsigned keep = ~0u;
    if (!(newLine || count_ == 0)) keep = FartherThanTolerance(fh, fv);
    for (keep &= levelsOn_; keep; keep &= keep - 1) {
        const int l = std::countr_zero(keep);
        Level& lv = levels_[l];
        const std::size_t k = lv.records.size();
        if (k % kLevelBlock == 0) {
            lv.boxes.push_back({h, h, v, v});
            if (k > 0) lv.boxes.back().Take(originH_ + lastH_[l], originV_ + lastV_[l]);
        }
        lv.boxes.back().Take(h, v);
        if (newLine || count_ == 0) lv.lineFirst.push_back(int(k));
        lv.records.push_back(count_);
        lv.H.push_back(fh);
        lv.V.push_back(fv);
        lastH_[l] = fh;
        lastV_[l] = fv;
        // A level that keeps more than a third of the records is never drawn (LevelFor): its
        // memory is given back and it stops.
        if (count_ >= 4096 && 3 * (k + 1) > std::size_t(count_) + 1) {
            lv = Level{};
            levelsOn_ &= ~(1u << l);
        }
    }
    ++count_;
    if (!depths_.empty()) depths_.push_back(kNoDepth);
    ++revision_;
}

namespace {

// The squared tolerance of each level; lanes past the last level are never farther.
constexpr auto kTolerance2 = [] {
    std::array<float, TCutStore::kLevels + 3> t{};
    for (std::size_t l = 0; l < t.size(); ++l)
        t[l] = int(l) < TCutStore::kLevels
                   ? float(TCutStore::LevelTolerance(int(l)) * TCutStore::LevelTolerance(int(l)))
                   : std::numeric_limits<float>::infinity();
    return t;
}();

}  // namespace

unsigned TCutStore::FartherThanTolerance(float h, float v) const {
    unsigned farther = 0;
#if defined(__SSE2__)
    // Four levels at a time: the same float operations as below, a bit for each lane.
    const __m128 H = _mm_set1_ps(h), V = _mm_set1_ps(v);
    for (int q = 0; q < kLanes; q += 4) {
        const __m128 dh = _mm_sub_ps(H, _mm_loadu_ps(lastH_ + q)),
                     dv = _mm_sub_ps(V, _mm_loadu_ps(lastV_ + q));
        const __m128 d2 = _mm_add_ps(_mm_mul_ps(dh, dh), _mm_mul_ps(dv, dv));
        farther |= unsigned(_mm_movemask_ps(_mm_cmpgt_ps(d2, _mm_loadu_ps(&kTolerance2[q])))) << q;
    }
#else
    for (int l = 0; l < kLevels; ++l) {
        const float dh = h - lastH_[l], dv = v - lastV_[l];
        farther |= unsigned(dh * dh + dv * dv > kTolerance2[std::size_t(l)]) << l;
    }
#endif
    return farther & ((1u << kLevels) - 1);
}

bool TCutStore::GroupsMeet(int first, int end, const Box& w) const {
    constexpr int kg = kChunkCuts * kGroupChunks;
    for (int g = first / kg; g <= (end - 1) / kg; ++g) {
        const Box& b = groups_[static_cast<std::size_t>(g)];
        if (!((b.HMax < w.HMin) | (b.HMin > w.HMax) | (b.VMax < w.VMin) | (b.VMin > w.VMax)))
            return true;
    }
    return false;
}

void TCutStore::SyncFrom(const TSokusenColl& records) {
    if (records.Count() < count_) Clear();
    TCutPlace places[TSokusenStore::kBlock];
    for (int i = count_; i < records.Count();) {
        const int n = records.Places(i, places, TSokusenStore::kBlock);
        if (n <= 0) break;
        for (int k = 0; k < n; ++k, ++i) {
            const TCutPlace& r = places[k];
            // Names are held once per run, so an equal index means an equal name.
            const bool newLine = i == 0 || (r.NameIndex != lastNameIndex_ &&
                                            records.LineName(i) != records.LineName(i - 1));
            lastNameIndex_ = r.NameIndex;
            Append(r.X, r.Y, newLine);
        }
    }
}

void TCutStore::Clear() {
    chunks_.clear();
    boxes_.clear();
    parts_.clear();
    groups_.clear();
    lineStarts_.clear();
    depths_.clear();
    for (Level& lv : levels_) lv = Level{};
    levelsOn_ = (1u << kLevels) - 1;
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
    std::size_t at = 0;  // both in serial order: one walk
    for (int i = 0; i < n; ++i)
        if (const auto d = table.DepthOf(records.Item(i).Serial, at)) SetDepth(i, *d);
    ++revision_;
}

int TCutStore::LevelFor(double pixelsPerUnit) const {
    if (!(pixelsPerUnit > 0)) return -1;
    int level = -1;
    while (level + 1 < kLevels && LevelTolerance(level + 1) * pixelsPerUnit <= 0.5) ++level;
    // A level that keeps most records saves less than its walk costs over the chunks'.
    if (level < 0 || !(levelsOn_ & (1u << level)) ||
        3 * levels_[level].records.size() > std::size_t(count_))
        return -1;
    return level;
}

std::pair<int, int> TCutStore::LevelRange(int level, int first, int end) const {
    const Level& lv = LevelAt(level);
    const std::vector<int>& recs = lv.records;
    // The kept records of the line holding record r: each line's start is kept.
    auto lineSpan = [&](int r) {
        const auto li =
            std::upper_bound(lineStarts_.begin(), lineStarts_.end(), r) - lineStarts_.begin() - 1;
        const std::size_t i = std::size_t(std::max<std::ptrdiff_t>(li, 0));
        const int lo = i < lv.lineFirst.size() ? lv.lineFirst[i] : int(recs.size());
        const int hi = i + 1 < lv.lineFirst.size() ? lv.lineFirst[i + 1] : int(recs.size());
        return std::pair{lo, hi};
    };
    auto firstAtOrAfter = [&](int r) {
        const auto [lo, hi] = lineSpan(r);
        return int(std::lower_bound(recs.begin() + lo, recs.begin() + hi, r) - recs.begin());
    };
    if (first >= end) return {0, 0};
    const int lo = firstAtOrAfter(first);
    const int hi = firstAtOrAfter(end - 1);
    return {lo, hi < int(recs.size()) && recs[std::size_t(hi)] == end - 1 ? hi + 1 : hi};
}

std::size_t TCutStore::MemoryBytes() const {
    std::size_t levels = 0;
    for (const Level& lv : levels_)
        levels += (lv.records.capacity() + lv.lineFirst.capacity()) * sizeof(int) +
                  lv.boxes.capacity() * sizeof(Box) +
                  (lv.H.capacity() + lv.V.capacity()) * sizeof(float);
    return chunks_.capacity() * sizeof(std::unique_ptr<Chunk>) + chunks_.size() * sizeof(Chunk) +
           (boxes_.capacity() + parts_.capacity() + groups_.capacity()) * sizeof(Box) +
           lineStarts_.capacity() * sizeof(int) + depths_.capacity() * sizeof(float) + levels;
}

}  // namespace tidrun
