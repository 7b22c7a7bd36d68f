// The positions of all recorded cuts, kept once and shared by every map window: chunks of
// a fixed number of cuts, each with its bounding box, positions as float offsets from one
// double origin (the first cut), so a million cuts take about 9 MB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

namespace tidrun {

class TSokusenColl;
struct TDepthTable;

class TCutStore {
  public:
    static constexpr int kChunkCuts = 256;
    // Each chunk also has a box for each of its parts of kPartCuts cuts, so that a chunk
    // lying partly in a window is culled finer.
    static constexpr int kPartCuts = 32;
    static constexpr int kParts = kChunkCuts / kPartCuts;

    // A world box: of some points and of the point before the first of them, so that the
    // segment leading in is inside the box too.
    struct Box {
        double HMin, HMax, VMin, VMax;
        void Take(double h, double v) {
            HMin = h < HMin ? h : HMin;
            HMax = h > HMax ? h : HMax;
            VMin = v < VMin ? v : VMin;
            VMax = v > VMax ? v : VMax;
        }
        bool operator==(const Box&) const = default;
    };

    struct Chunk {
        // Offsets from the store's origin: h = easting (Y), v = northing (X).
        float H[kChunkCuts];
        float V[kChunkCuts];
    };

    // Appends one cut. newLine: the cut starts a run of a new line name.
    void Append(double x, double y, bool newLine);
    // Appends the records of the collection that the store does not hold yet; a store
    // holding more records than the collection is filled again from the start. After the
    // collection was reloaded, Clear first. A line starts where the line name changes.
    // An empty store filled with at least kTwoCoresFrom records is built in two halves on
    // two cores, to the same content as one pass.
    void SyncFrom(const TSokusenColl& records);
    static constexpr int kTwoCoresFrom = 1 << 17;
    void Clear();
    // Whether the two hold the same cuts, lines, boxes, levels and depths.
    bool operator==(const TCutStore& other) const;

    int Count() const { return count_; }
    double X(int i) const {
        return originV_ + chunks_[static_cast<size_t>(i / kChunkCuts)]->V[i % kChunkCuts];
    }
    double Y(int i) const {
        return originH_ + chunks_[static_cast<size_t>(i / kChunkCuts)]->H[i % kChunkCuts];
    }
    double OriginH() const { return originH_; }
    double OriginV() const { return originV_; }
    int ChunkCount() const { return static_cast<int>(chunks_.size()); }
    const Chunk& ChunkAt(int c) const { return *chunks_[static_cast<size_t>(c)]; }
    // The box of a whole chunk. The boxes lie side by side, apart from the chunks, so that
    // culling a window's worth of chunks reads them in one stream.
    const Box& ChunkBox(int c) const { return boxes_[static_cast<size_t>(c)]; }
    // The kParts boxes of a chunk's parts, in order; they too lie side by side.
    const Box* PartBoxes(int c) const { return parts_.data() + std::size_t(c) * kParts; }
    // Whether records first..end-1 may meet the window (its bounds as a box), judged on a
    // box for each kGroupChunks chunks: a line far from the view is left after a test or
    // two on a small table instead of one a chunk.
    static constexpr int kGroupChunks = 64;
    bool GroupsMeet(int first, int end, const Box& window) const;
    // First record of each run of one line name, ascending.
    const std::vector<int>& LineStarts() const { return lineStarts_; }
    // The sounder's depth of each record, metres below the surface (NaN: none). Held only
    // once a depth is set, so a job without depths pays nothing for them.
    float Depth(int i) const {
        return static_cast<std::size_t>(i) < depths_.size() ? depths_[static_cast<std::size_t>(i)]
                                                            : kNoDepth;
    }
    bool HasDepths() const { return !depths_.empty(); }
    const std::vector<float>& Depths() const { return depths_; }
    void SetDepth(int i, float depth);
    // The depths of the companion file joined to the records by serial (after SyncFrom).
    void JoinDepths(const TSokusenColl& records, const TDepthTable& table);
    static constexpr float kNoDepth = std::numeric_limits<float>::quiet_NaN();

    // Levels of detail, kept as cuts arrive: level L holds, in order, the records a line
    // keeps when each record closer than LevelTolerance(L) to the last one kept is left out
    // (a line's first record is always kept). Every left-out record lies within the
    // tolerance of the record kept before it, so the line through the kept records is never
    // farther than the tolerance from the line through all of them: seen from where the
    // tolerance is half a pixel, it sets the same pixels within one.
    // From 2 m: a level of 1 m keeps most records of all-data cuts 0.3-0.8 m apart, so it
    // would cost memory and never be drawn.
    static constexpr int kLevels = 13;
    static constexpr int kLevelBlock = 64;  // kept records per box
    struct Level {
        std::vector<int> records;
        std::vector<float> H, V;     // their offsets, as in the chunks: read in one stream
        std::vector<int> lineFirst;  // where each of LineStarts() is in records
        // A box for each kLevelBlock kept records, holding the kept record before them too.
        std::vector<Box> boxes;
        bool operator==(const Level&) const = default;
    };
    static constexpr double LevelTolerance(int level) { return double(2 << level); }  // 2 m, 4 m
    const Level& LevelAt(int level) const { return levels_[static_cast<std::size_t>(level)]; }
    // The coarsest level whose tolerance is at most half a pixel at this scale (pixels per
    // world unit), when it leaves out enough to be worth its walk; -1 for none.
    int LevelFor(double pixelsPerUnit) const;
    // The kept records of a level from first to end - 1 (records first..end-1): [lo, hi) in
    // its records.
    std::pair<int, int> LevelRange(int level, int first, int end) const;

    // Bytes held (chunks, their table, the line starts, the depths and the levels).
    std::size_t MemoryBytes() const;
    // Grows on every change; lets caches see that the store changed.
    std::uint64_t Revision() const { return revision_; }

  private:
    // Append in its two parts: the cut's chunk, boxes and line start (at count_), and the
    // levels that keep record `record`. limit: a level keeping too many records is given up.
    void AppendPlace(float fh, float fv, bool newLine);
    void AppendLevels(int record, float fh, float fv, bool newLine, bool limit);
    // A place as the chunks hold it: float offsets from the origin.
    float OffsetH(double y) const { return static_cast<float>(y - originH_); }
    float OffsetV(double x) const { return static_cast<float>(x - originV_); }
    // Takes kept record k of a level (its H and V already in) into the level's boxes.
    void TakeIntoBoxes(Level& lv, std::size_t k) const;
    // SyncFrom from empty in two halves; false when the collection does not allow it.
    bool SyncInTwo(const TSokusenColl& records);
    // Takes the second half's store: records from count_ on, levels from its first line.
    void TakeHalf(TCutStore& half);
    std::vector<std::unique_ptr<Chunk>> chunks_;
    std::vector<Box> boxes_;   // one for each chunk
    std::vector<Box> parts_;   // kParts for each chunk
    std::vector<Box> groups_;  // one for each kGroupChunks chunks
    std::vector<int> lineStarts_;
    std::vector<float> depths_;  // empty, or one for each record
    Level levels_[kLevels];
    // The levels whose last kept record lies farther than their tolerance from (h, v).
    unsigned FartherThanTolerance(float h, float v) const;
    // Each level's last record kept, in lanes of four (the lanes past kLevels unused).
    static constexpr int kLanes = (kLevels + 3) / 4 * 4;
    float lastH_[kLanes] = {}, lastV_[kLanes] = {};
    unsigned levelsOn_ = (1u << kLevels) - 1;  // levels still kept
    int count_ = 0;
    double originH_ = 0, originV_ = 0;
    float prevH_ = 0, prevV_ = 0;  // the last record's offsets
    std::uint32_t lastNameIndex_ = 0;
    std::uint64_t revision_ = 0;
};

}  // namespace tidrun
