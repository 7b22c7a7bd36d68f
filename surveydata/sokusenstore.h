// The cuts of a recording held compactly: blocks of up to kBlock records, each field of a
// block stored as the smallest whole number of bytes its spread needs, as an integer of the
// decimals the recording file prints (millimetres, microdegrees, seconds). A season of
// all-data cuts, one every 0.3-0.8 m, takes about 25 bytes a cut instead of 120.
// A value no such integer gives back exactly (more decimals than the file prints, a huge
// figure, -0) leaves its block as it was, so every record reads back exactly as stored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "surveydata/sokusen.h"

namespace tidrun {

// Where a cut lies and which line name it has: what a map needs of it.
struct TCutPlace {
    double X, Y;
    std::uint32_t NameIndex;
};

class TSokusenStore {
  public:
    static constexpr int kBlock = 256;
    // A record as whole numbers: serial, line number, cut number, GPS quality, name index,
    // time, then X, Y, H, Dist in thousandths, GpsA, GpsB in millionths, GpsH, DX, DY, DH,
    // DA in thousandths: the decimals the recording file prints.
    enum Field : int {
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
    using Fixed = std::array<std::int64_t, kFields>;
    // The number of decimals of each field.
    static constexpr int Decimals(int field) {
        return field >= kX ? (field == kGpsA || field == kGpsB ? 6 : 3) : 0;
    }
    // The record a set of whole numbers stands for (each figure correctly rounded).
    static TSokusen FromFixed(const Fixed& f);

    TSokusenStore();
    ~TSokusenStore();
    TSokusenStore(TSokusenStore&&) noexcept;
    TSokusenStore& operator=(TSokusenStore&&) noexcept;

    int Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    TSokusen At(int i) const;
    TSokusen Back() const { return At(count_ - 1); }
    // The places of records first, first + 1, ... into out, at most max and no farther than
    // the end of first's block; returns how many (0 past the end). Reads only those fields.
    int Places(int first, TCutPlace* out, int max) const;

    void Push(const TSokusen& r);
    // The same for a record read as whole numbers (no check that they give it back).
    void PushFixed(const Fixed& f);
    void PopBack();
    // Takes out one record; the records after it move up (rare: the blocks from it on are
    // packed again).
    void Erase(int i);
    void Clear();
    // Moves the records of another store to the end of this one, each name index raised by
    // nameBase; the other store is left empty. Its packed blocks are taken as they are.
    void Append(TSokusenStore&& other, std::uint32_t nameBase);

    // Bytes held (blocks, their tables and the open block).
    std::size_t MemoryBytes() const;

  private:
    struct Block;
    // Blocks are kBlock records but for the last of a run of blocks (where a store was
    // appended): a segment is a run of blocks from its first record on.
    struct Segment {
        int firstRecord;
        int firstBlock;
    };
    void Keep(const TSokusen& r);  // into the open block, not counted
    void Seal();
    void AddBlock(std::unique_ptr<Block> block, int firstRecord);
    void Unseal();

    std::vector<std::unique_ptr<Block>> blocks_;
    std::vector<Segment> segments_;
    // The last records, not yet packed: as whole numbers, or as they are when they would not
    // come back exactly.
    struct Open {
        Fixed key;
        std::int32_t raw;  // -1, or where the record is in openRaw_
    };
    std::vector<Open> open_;
    std::vector<TSokusen> openRaw_;
    int count_ = 0;
};

}  // namespace tidrun
