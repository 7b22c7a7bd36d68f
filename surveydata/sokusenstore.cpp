#include "surveydata/sokusenstore.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace tidrun {

namespace {

// The fields of a record as integers; the first six are whole numbers already.
using F = TSokusenStore;
constexpr int kFields = F::kFields;
constexpr int kSerial = F::kSerial, kLineNo = F::kLineNo, kCutNo = F::kCutNo, kGpsInt = F::kGpsInt,
              kNameIndex = F::kNameIndex, kTime = F::kTime, kX = F::kX;
constexpr int kFirstScaled = kX;
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

bool ToFixed(const TSokusen& r, TSokusenStore::Fixed& key) {
    key[kSerial] = r.Serial;
    key[kLineNo] = r.LineNo;
    key[kCutNo] = r.CutNo;
    key[kGpsInt] = r.GpsInt;
    key[kNameIndex] = r.NameIndex;
    key[kTime] = r.Time;
    for (int f = kFirstScaled; f < kFields; ++f)
        if (!ToFixed(r.*kScaled[f - kFirstScaled], kScale[f], key[f])) return false;
    return true;
}

TSokusen Unpack(const TSokusenStore::Fixed& key) {
    TSokusen r{};
    r.Serial = static_cast<std::int32_t>(key[kSerial]);
    r.LineNo = static_cast<std::int32_t>(key[kLineNo]);
    r.CutNo = static_cast<std::int32_t>(key[kCutNo]);
    r.GpsInt = static_cast<std::int32_t>(key[kGpsInt]);
    r.NameIndex = static_cast<std::uint32_t>(key[kNameIndex]);
    r.Time = key[kTime];
    for (int f = kFirstScaled; f < kFields; ++f)
        r.*kScaled[f - kFirstScaled] = static_cast<double>(key[f]) / kScale[f];
    return r;
}

// Serial and cut numbers count up by one within a line: held less their place in the block,
// they take no bytes at all.
std::int64_t Stored(const TSokusenStore::Fixed& key, int f, int j) {
    return f == kSerial || f == kCutNo ? key[f] - j : key[f];
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
    using Fixed = TSokusenStore::Fixed;
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
        Fixed key;
        for (int f = 0; f < kFields; ++f) key[f] = Key(f, j);
        key[kSerial] += j;
        key[kCutNo] += j;
        return Unpack(key);
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
    if (i >= sealed) {
        const Open& o = open_[static_cast<std::size_t>(i - sealed)];
        return o.raw >= 0 ? openRaw_[static_cast<std::size_t>(o.raw)] : Unpack(o.key);
    }
    auto s = segments_.end() - 1;
    while (s->firstRecord > i) --s;
    const int in = i - s->firstRecord;
    return blocks_[static_cast<std::size_t>(s->firstBlock + in / kBlock)]->At(in % kBlock);
}

TSokusen TSokusenStore::FromFixed(const Fixed& f) {
    return Unpack(f);
}

void TSokusenStore::Keep(const TSokusen& r) {
    if (open_.capacity() == 0) open_.reserve(kBlock);
    Open o;
    o.raw = -1;
    if (!ToFixed(r, o.key)) {
        o.raw = static_cast<std::int32_t>(openRaw_.size());
        openRaw_.push_back(r);
    }
    open_.push_back(o);
}

int TSokusenStore::Places(int first, TCutPlace* out, int max) const {
    if (first < 0 || first >= count_ || max <= 0) return 0;
    const int sealed = count_ - static_cast<int>(open_.size());
    if (first >= sealed) {
        const int n = std::min(max, count_ - first);
        for (int k = 0; k < n; ++k) {
            const TSokusen r = At(first + k);
            out[k] = {r.X, r.Y, r.NameIndex};
        }
        return n;
    }
    auto s = segments_.end() - 1;
    while (s->firstRecord > first) --s;
    const int in = first - s->firstRecord;
    const Block& b = *blocks_[static_cast<std::size_t>(s->firstBlock + in / kBlock)];
    const int j0 = in % kBlock;
    const int n = std::min(max, b.n - j0);
    for (int k = 0; k < n; ++k) {
        const int j = j0 + k;
        if (!b.raw.empty()) {
            const TSokusen& r = b.raw[static_cast<std::size_t>(j)];
            out[k] = {r.X, r.Y, r.NameIndex};
        } else {
            out[k] = {static_cast<double>(b.Key(kX, j)) / kScale[kX],
                      static_cast<double>(b.Key(F::kY, j)) / kScale[F::kY],
                      static_cast<std::uint32_t>(b.Key(kNameIndex, j))};
        }
    }
    return n;
}

void TSokusenStore::Push(const TSokusen& r) {
    Keep(r);
    ++count_;
    if (open_.size() == kBlock) Seal();
}

void TSokusenStore::PushFixed(const Fixed& f) {
    if (open_.capacity() == 0) open_.reserve(kBlock);
    open_.push_back(Open{f, -1});
    ++count_;
    if (open_.size() == kBlock) Seal();
}

void TSokusenStore::Seal() {
    if (open_.empty()) return;
    auto block = std::make_unique<Block>();
    const int n = static_cast<int>(open_.size());
    block->n = n;
    if (openRaw_.empty()) {
        std::size_t at = 0;
        for (int f = 0; f < kFields; ++f) {
            std::int64_t lo = Stored(open_[0].key, f, 0), hi = lo;
            for (int j = 1; j < n; ++j) {
                const std::int64_t v = Stored(open_[static_cast<std::size_t>(j)].key, f, j);
                lo = std::min(lo, v);
                hi = std::max(hi, v);
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
                const std::uint64_t d = static_cast<std::uint64_t>(
                                            Stored(open_[static_cast<std::size_t>(j)].key, f, j)) -
                                        static_cast<std::uint64_t>(block->base[f]);
                std::memcpy(out, &d, static_cast<std::size_t>(w));  // little-endian
            }
        }
    } else {
        block->raw.reserve(static_cast<std::size_t>(n));
        for (const Open& o : open_)
            block->raw.push_back(o.raw >= 0 ? openRaw_[static_cast<std::size_t>(o.raw)]
                                            : Unpack(o.key));
    }
    const int first = count_ - n;
    open_.clear();
    openRaw_.clear();
    AddBlock(std::move(block), first);
}

void TSokusenStore::AddBlock(std::unique_ptr<Block> block, int firstRecord) {
    // A block after a short one starts a segment of its own.
    if (segments_.empty() || blocks_.back()->n < kBlock)
        segments_.push_back(Segment{firstRecord, static_cast<int>(blocks_.size())});
    blocks_.push_back(std::move(block));
}

void TSokusenStore::Unseal() {
    const std::unique_ptr<Block> last = std::move(blocks_.back());
    blocks_.pop_back();
    if (segments_.back().firstBlock == static_cast<int>(blocks_.size())) segments_.pop_back();
    open_.clear();
    openRaw_.clear();
    for (int j = 0; j < last->n; ++j) Keep(last->At(j));
}

void TSokusenStore::PopBack() {
    if (count_ == 0) return;
    if (open_.empty()) Unseal();
    if (open_.back().raw >= 0) openRaw_.pop_back();  // the last raw one
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
    std::vector<Open>().swap(open_);
    std::vector<TSokusen>().swap(openRaw_);
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
    for (Open& o : other.open_) {
        if (o.raw >= 0) {
            TSokusen r = other.openRaw_[static_cast<std::size_t>(o.raw)];
            r.NameIndex += nameBase;
            o.raw = static_cast<std::int32_t>(openRaw_.size());
            openRaw_.push_back(r);
        }
        o.key[kNameIndex] += nameBase;
        open_.push_back(o);
        ++count_;
    }
    other.Clear();
}

std::size_t TSokusenStore::MemoryBytes() const {
    std::size_t n = blocks_.capacity() * sizeof(blocks_[0]) +
                    segments_.capacity() * sizeof(Segment) + open_.capacity() * sizeof(Open) +
                    openRaw_.capacity() * sizeof(TSokusen);
    for (const auto& b : blocks_) n += b->MemoryBytes();
    return n;
}

}  // namespace tidrun
