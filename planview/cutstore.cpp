#include "planview/cutstore.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <system_error>
#include <thread>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "surveydata/depthfile.h"
#include "surveydata/sokusencoll.h"

namespace tidrun {

namespace {

// Whether a level keeping record `record` as its k-th (from 0) keeps too many to be drawn.
bool GivesUp(int record, std::size_t k) {
    return record >= 4096 && 3 * (k + 1) > std::size_t(record) + 1;
}

// Walks records first..end-1 of the collection by their places: f(index, place, newLine),
// until f returns false. lastName: the name index of the record before first.
template <class F>
void WalkPlaces(const TSokusenColl& records, int first, int end, std::uint32_t& lastName, F&& f) {
    TCutPlace places[TSokusenStore::kBlock];
    for (int i = first; i < end;) {
        const int n = records.Places(i, places, std::min(TSokusenStore::kBlock, end - i));
        if (n <= 0) return;
        for (int k = 0; k < n; ++k, ++i) {
            const TCutPlace& r = places[k];
            // Names are held once per run, so an equal index means an equal name.
            const bool newLine = i == 0 || (r.NameIndex != lastName &&
                                            records.LineName(i) != records.LineName(i - 1));
            lastName = r.NameIndex;
            if (!f(i, r, newLine)) return;
        }
    }
}

}  // namespace

void TCutStore::Append(double x, double y, bool newLine) {
    if (count_ == 0) {
        originH_ = y;
        originV_ = x;
    }
    const float fh = OffsetH(y), fv = OffsetV(x);
    newLine = newLine || count_ == 0;
    AppendPlace(fh, fv, newLine);
    AppendLevels(count_, fh, fv, newLine, true);
    ++count_;
    if (!depths_.empty()) depths_.push_back(kNoDepth);
    ++revision_;
}

void TCutStore::AppendPlace(float fh, float fv, bool newLine) {
    const int slot = count_ % kChunkCuts;
    if (slot == 0) {
        chunks_.push_back(std::make_unique<Chunk>());
        boxes_.emplace_back();
        parts_.resize(parts_.size() + kParts);
    }
    Chunk& c = *chunks_.back();
    Box& all = boxes_.back();
    c.H[slot] = fh;
    c.V[slot] = fv;
    // Boxes hold the stored (rounded) values, so culling agrees with what is drawn.
    const double h = originH_ + fh, v = originV_ + fv;
    Box& part = parts_[parts_.size() - kParts + slot / kPartCuts];
    if (slot % kPartCuts == 0) {
        part = {h, h, v, v};
        if (count_ > 0) part.Take(originH_ + prevH_, originV_ + prevV_);  // the segment leading in
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
    if (newLine) lineStarts_.push_back(count_);
    prevH_ = fh;
    prevV_ = fv;
}

void TCutStore::AppendLevels(int record, float fh, float fv, bool newLine, bool limit) {
    // The levels that keep this record: all at a line's start, else those it lies farther
    // from the last record kept than the tolerance.
    unsigned keep = newLine ? ~0u : FartherThanTolerance(fh, fv);
    for (keep &= levelsOn_; keep; keep &= keep - 1) {
        const int l = std::countr_zero(keep);
        Level& lv = levels_[l];
        const std::size_t k = lv.records.size();
        if (newLine) lv.lineFirst.push_back(int(k));
        lv.records.push_back(record);
        lv.H.push_back(fh);
        lv.V.push_back(fv);
        TakeIntoBoxes(lv, k);
        lastH_[l] = fh;
        lastV_[l] = fv;
        // A level that keeps more than a third of the records is never drawn (LevelFor): its
        // memory is given back and it stops.
        if (limit && GivesUp(record, k)) {
            lv = Level{};
            levelsOn_ &= ~(1u << l);
        }
    }
}

void TCutStore::TakeIntoBoxes(Level& lv, std::size_t k) const {
    const double h = originH_ + lv.H[k], v = originV_ + lv.V[k];
    if (k % kLevelBlock == 0) {
        lv.boxes.push_back({h, h, v, v});
        if (k > 0) lv.boxes.back().Take(originH_ + lv.H[k - 1], originV_ + lv.V[k - 1]);
    }
    lv.boxes.back().Take(h, v);
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
    if (count_ == 0 && records.Count() >= kTwoCoresFrom && SyncInTwo(records)) return;
    WalkPlaces(records, count_, records.Count(), lastNameIndex_,
               [this](int, const TCutPlace& r, bool newLine) {
                   Append(r.X, r.Y, newLine);
                   return true;
               });
}

bool TCutStore::SyncInTwo(const TSokusenColl& records) {
    // The halves meet at a group's start, so the second half's chunks, parts and groups
    // are laid as one pass lays them. Its levels begin at its first line, where every
    // level keeps the record whatever came before; the first half's levels go on to there.
    constexpr int kGroupCuts = kChunkCuts * kGroupChunks;
    const int n = records.Count();
    const int mid = n / 2 / kGroupCuts * kGroupCuts;
    TCutPlace first, beforeMid;
    if (mid == 0 || records.Places(0, &first, 1) != 1 ||
        records.Places(mid - 1, &beforeMid, 1) != 1)
        return false;
    // The tables of chunks take the whole at once: no copies as they grow.
    const std::size_t chunks = std::size_t(n + kChunkCuts - 1) / kChunkCuts;
    chunks_.reserve(chunks);
    boxes_.reserve(chunks);
    parts_.reserve(chunks * kParts);
    groups_.reserve((chunks + kGroupChunks - 1) / kGroupChunks);
    originH_ = first.Y;
    originV_ = first.X;
    auto half = std::make_unique<TCutStore>();
    half->parts_.reserve(std::size_t(n - mid + kChunkCuts - 1) / kChunkCuts * kParts);
    half->originH_ = originH_;
    half->originV_ = originV_;
    half->count_ = mid;
    half->prevH_ = OffsetH(beforeMid.Y);
    half->prevV_ = OffsetV(beforeMid.X);
    half->lastNameIndex_ = beforeMid.NameIndex;
    auto second = [&records, n, &h = *half] {
        bool inLevels = false;
        WalkPlaces(records, h.count_, n, h.lastNameIndex_,
                   [&h, &inLevels](int i, const TCutPlace& r, bool newLine) {
                       const float fh = h.OffsetH(r.Y), fv = h.OffsetV(r.X);
                       h.AppendPlace(fh, fv, newLine);
                       inLevels = inLevels || newLine;
                       // The give-up rule needs the first half's counts: judged in TakeHalf.
                       if (inLevels) h.AppendLevels(i, fh, fv, newLine, false);
                       ++h.count_;
                       return true;
                   });
    };
    std::thread worker;
    try {
        worker = std::thread(second);
    } catch (const std::system_error&) {  // no thread to be had: both halves here
    }
    WalkPlaces(records, 0, n, lastNameIndex_, [this, mid](int i, const TCutPlace& r, bool newLine) {
        if (i >= mid && newLine) return false;  // the second half's levels start here
        const float fh = OffsetH(r.Y), fv = OffsetV(r.X);
        if (i < mid) {
            AppendPlace(fh, fv, newLine);
            ++count_;
        }
        AppendLevels(i, fh, fv, newLine, true);
        return true;
    });
    if (worker.joinable()) {
        worker.join();
    } else {
        second();
    }
    TakeHalf(*half);
    return true;
}

void TCutStore::TakeHalf(TCutStore& half) {
    // Each table grown once to the size it takes, not doubled past it.
    auto join = [](auto& to, auto&& from) {
        to.reserve(to.size() + from.size());
        to.insert(to.end(), std::make_move_iterator(from.begin()),
                  std::make_move_iterator(from.end()));
    };
    join(chunks_, half.chunks_);
    join(boxes_, half.boxes_);
    join(parts_, half.parts_);
    join(groups_, half.groups_);
    join(lineStarts_, half.lineStarts_);
    for (int l = 0; l < kLevels; ++l) {
        Level& lv = levels_[l];
        Level& more = half.levels_[l];
        if (!(levelsOn_ & (1u << l)) || more.records.empty()) continue;
        const std::size_t k0 = lv.records.size();
        bool givenUp = false;
        for (std::size_t j = 0; j < more.records.size() && !givenUp; ++j)
            givenUp = GivesUp(more.records[j], k0 + j);
        if (givenUp) {
            lv = Level{};
            levelsOn_ &= ~(1u << l);
            continue;
        }
        join(lv.records, more.records);
        join(lv.H, more.H);
        join(lv.V, more.V);
        lv.lineFirst.reserve(lv.lineFirst.size() + more.lineFirst.size());
        for (const int f : more.lineFirst) lv.lineFirst.push_back(int(k0) + f);
        // The boxes again from the block the halves meet in.
        lv.boxes.resize(k0 / kLevelBlock);
        for (std::size_t k = k0 / kLevelBlock * kLevelBlock; k < lv.records.size(); ++k)
            TakeIntoBoxes(lv, k);
        lastH_[l] = half.lastH_[l];
        lastV_[l] = half.lastV_[l];
    }
    revision_ += std::uint64_t(half.count_);
    count_ = half.count_;
    prevH_ = half.prevH_;
    prevV_ = half.prevV_;
    lastNameIndex_ = half.lastNameIndex_;
}

bool TCutStore::operator==(const TCutStore& o) const {
    if (count_ != o.count_ || originH_ != o.originH_ || originV_ != o.originV_ ||
        chunks_.size() != o.chunks_.size() || boxes_ != o.boxes_ || parts_ != o.parts_ ||
        groups_ != o.groups_ || lineStarts_ != o.lineStarts_ || levelsOn_ != o.levelsOn_ ||
        prevH_ != o.prevH_ || prevV_ != o.prevV_ ||
        !std::equal(depths_.begin(), depths_.end(), o.depths_.begin(), o.depths_.end(),
                    [](float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }))
        return false;
    for (std::size_t c = 0; c < chunks_.size(); ++c) {
        const int n = std::min(kChunkCuts, count_ - int(c) * kChunkCuts);
        if (!std::equal(chunks_[c]->H, chunks_[c]->H + n, o.chunks_[c]->H) ||
            !std::equal(chunks_[c]->V, chunks_[c]->V + n, o.chunks_[c]->V))
            return false;
    }
    for (int l = 0; l < kLevels; ++l) {
        if (!(levels_[l] == o.levels_[l])) return false;
        if ((levelsOn_ & (1u << l)) && (lastH_[l] != o.lastH_[l] || lastV_[l] != o.lastV_[l]))
            return false;
    }
    return true;
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
    prevH_ = prevV_ = 0;
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
