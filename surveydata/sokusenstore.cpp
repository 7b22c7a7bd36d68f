#include "surveydata/sokusenstore.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace tidrun {

namespace {

// The fields of a record as integers; the first six are whole numbers already.
enum Field {
    kSerial,
    kLineNo,
    kCutNo,
    kGpsInt,
    kNameIndex,
    kTime,
    kX,
    kY,
    kH,
    kDist,
    kGpsA,
    kGpsB,
    kGpsH,
    kDX,
    kDY,
    kDH,
    kDA,
    kFields
};
constexpr int kFirstScaled = kX;
// The decimals the recording file prints of each scaled field: "%.3f", the latitude and
// longitude "%.6f".
constexpr double kScale[kFields] = {1,   1,   1,   1,   1,   1,   1e3, 1e3, 1e3,
                                    1e3, 1e6, 1e6, 1e3, 1e3, 1e3, 1e3, 1e3};

constexpr double TSokusen::*kScaled[kFields - kFirstScaled] = {
    &TSokusen::X,    &TSokusen::Y,    &TSokusen::H,    &TSokusen::Dist,
    &TSokusen::GpsA, &TSokusen::GpsB, &TSokusen::GpsH, &TSokusen::DX,
    &TSokusen::DY,   &TSokusen::DH,   &TSokusen::DA};

// The integer a value is of its field's decimals, when it gives the value back exactly.
bool ToFixed(double v, double scale, std::int64_t& q) {
    const double s = v * scale;
    if (!(std::fabs(s) < 9007199254740992.0)) return false;  // 2^53; also not a number
    q = static_cast<std::int64_t>(std::nearbyint(s));
    return static_cast<double>(q) / scale == v && !(q == 0 && std::signbit(v));
}

// Serial and cut numbers count up by one within a line: held less their place in the block,
// they take no bytes at all.
bool Keys(const TSokusen& r, int j, std::int64_t* key) {
    key[kSerial] = std::int64_t{r.Serial} - j;
    key[kLineNo] = r.LineNo;
    key[kCutNo] = std::int64_t{r.CutNo} - j;
    key[kGpsInt] = r.GpsInt;
    key[kNameIndex] = r.NameIndex;
    key[kTime] = r.Time;
    for (int f = kFirstScaled; f < kFields; ++f)
        if (!ToFixed(r.*kScaled[f - kFirstScaled], kScale[f], key[f])) return false;
    return true;
}

constexpr std::uint64_t kMask[9] = {0,
                                    0xff,
                                    0xffff,
                                    0xffffff,
                                    0xffffffff,
                                    0xffffffffff,
                                    0xffffffffffff,
                                    0xffffffffffffff,
                                    ~std::uint64_t{0}};

int BytesFor(std::uint64_t spread) {
    int n = 0;
    while (spread) {
        ++n;
        spread >>= 8;
    }
    return n;
}

}  // namespace

// A block packed (each field its base and a width in bytes per record), or as it was when
// some value would not pack exactly.
struct TSokusenStore::Block {
    int n = 0;
    std::vector<TSokusen> raw;  // empty when packed
    std::int64_t base[kFields] = {};
    std::uint8_t width[kFields] = {};
    std::uint32_t offset[kFields] = {};
    std::unique_ptr<std::uint8_t[]> data;  // 8 bytes longer than used: each read takes 8
    std::size_t bytes = 0;

    std::int64_t Key(int f, int j) const {
        std::uint64_t v;
        std::memcpy(&v, data.get() + offset[f] + std::size_t(j) * width[f], sizeof v);
        return static_cast<std::int64_t>(static_cast<std::uint64_t>(base[f]) +
                                         (v & kMask[width[f]]));
    }
    TSokusen At(int j) const {
        if (!raw.empty()) return raw[static_cast<std::size_t>(j)];
        TSokusen r;
        r.Serial = static_cast<std::int32_t>(Key(kSerial, j) + j);
        r.LineNo = static_cast<std::int32_t>(Key(kLineNo, j));
        r.CutNo = static_cast<std::int32_t>(Key(kCutNo, j) + j);
        r.GpsInt = static_cast<std::int32_t>(Key(kGpsInt, j));
        r.NameIndex = static_cast<std::uint32_t>(Key(kNameIndex, j));
        r.Time = Key(kTime, j);
        for (int f = kFirstScaled; f < kFields; ++f)
            r.*kScaled[f - kFirstScaled] = static_cast<double>(Key(f, j)) / kScale[f];
        return r;
    }
    void RaiseNames(std::uint32_t by) {
        if (raw.empty()) {
            base[kNameIndex] += by;
        } else {
            for (TSokusen& r : raw) r.NameIndex += by;
        }
    }
    std::size_t MemoryBytes() const {
        return sizeof(Block) + bytes + raw.capacity() * sizeof(TSokusen);
    }
};

TSokusenStore::TSokusenStore() = default;
TSokusenStore::~TSokusenStore() = default;
TSokusenStore::TSokusenStore(TSokusenStore&&) noexcept = default;
TSokusenStore& TSokusenStore::operator=(TSokusenStore&&) noexcept = default;

TSokusen TSokusenStore::At(int i) const {
    const int sealed = count_ - static_cast<int>(open_.size());
    if (i >= sealed) return open_[static_cast<std::size_t>(i - sealed)];
    auto s = segments_.end() - 1;
    while (s->firstRecord > i) --s;
    const int in = i - s->firstRecord;
    return blocks_[static_cast<std::size_t>(s->firstBlock + in / kBlock)]->At(in % kBlock);
}

void TSokusenStore::Push(const TSokusen& r) {
    if (open_.capacity() == 0) open_.reserve(kBlock);
    open_.push_back(r);
    ++count_;
    if (open_.size() == kBlock) Seal();
}

void TSokusenStore::Seal() {
    if (open_.empty()) return;
    auto block = std::make_unique<Block>();
    const int n = static_cast<int>(open_.size());
    block->n = n;
    std::vector<std::int64_t> keys(std::size_t(n) * kFields);
    bool packs = true;
    for (int j = 0; j < n && packs; ++j)
        packs = Keys(open_[static_cast<std::size_t>(j)], j, keys.data() + std::size_t(j) * kFields);
    if (packs) {
        std::size_t at = 0;
        for (int f = 0; f < kFields; ++f) {
            std::int64_t lo = keys[f], hi = keys[f];
            for (int j = 1; j < n; ++j) {
                lo = std::min(lo, keys[std::size_t(j) * kFields + f]);
                hi = std::max(hi, keys[std::size_t(j) * kFields + f]);
            }
            block->base[f] = lo;
            block->width[f] = static_cast<std::uint8_t>(
                BytesFor(static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo)));
            block->offset[f] = static_cast<std::uint32_t>(at);
            at += std::size_t(n) * block->width[f];
        }
        block->bytes = at + 8;
        block->data = std::make_unique<std::uint8_t[]>(block->bytes);
        for (int f = 0; f < kFields; ++f) {
            const int w = block->width[f];
            if (w == 0) continue;
            std::uint8_t* out = block->data.get() + block->offset[f];
            for (int j = 0; j < n; ++j, out += w) {
                const std::uint64_t d =
                    static_cast<std::uint64_t>(keys[std::size_t(j) * kFields + f]) -
                    static_cast<std::uint64_t>(block->base[f]);
                std::memcpy(out, &d, static_cast<std::size_t>(w));  // little-endian
            }
        }
    } else {
        block->raw = open_;
    }
    const int first = count_ - n;
    open_.clear();
    AddBlock(std::move(block), first);
}

void TSokusenStore::AddBlock(std::unique_ptr<Block> block, int firstRecord) {
    // A block after a short one starts a segment of its own.
    if (segments_.empty() || blocks_.back()->n < kBlock)
        segments_.push_back(Segment{firstRecord, static_cast<int>(blocks_.size())});
    blocks_.push_back(std::move(block));
}

void TSokusenStore::Unseal() {
    const Block& last = *blocks_.back();
    std::vector<TSokusen> records;
    records.reserve(kBlock);
    for (int j = 0; j < last.n; ++j) records.push_back(last.At(j));
    blocks_.pop_back();
    if (segments_.back().firstBlock == static_cast<int>(blocks_.size())) segments_.pop_back();
    open_ = std::move(records);
}

void TSokusenStore::PopBack() {
    if (count_ == 0) return;
    if (open_.empty()) Unseal();
    open_.pop_back();
    --count_;
}

void TSokusenStore::Erase(int i) {
    if (i < 0 || i >= count_) return;
    std::vector<TSokusen> after;
    after.reserve(static_cast<std::size_t>(count_ - i - 1));
    for (int k = i + 1; k < count_; ++k) after.push_back(At(k));
    while (count_ > i) PopBack();
    for (const TSokusen& r : after) Push(r);
}

void TSokusenStore::Clear() {
    blocks_.clear();
    segments_.clear();
    std::vector<TSokusen>().swap(open_);
    count_ = 0;
}

void TSokusenStore::Append(TSokusenStore&& other, std::uint32_t nameBase) {
    Seal();
    int first = count_;
    for (std::unique_ptr<Block>& b : other.blocks_) {
        b->RaiseNames(nameBase);
        const int n = b->n;
        AddBlock(std::move(b), first);
        first += n;
    }
    count_ = first;
    for (TSokusen& r : other.open_) {
        r.NameIndex += nameBase;
        open_.push_back(r);
        ++count_;
    }
    other.Clear();
}

std::size_t TSokusenStore::MemoryBytes() const {
    std::size_t n = blocks_.capacity() * sizeof(blocks_[0]) +
                    segments_.capacity() * sizeof(Segment) + open_.capacity() * sizeof(TSokusen);
    for (const auto& b : blocks_) n += b->MemoryBytes();
    return n;
}

}  // namespace tidrun
