// Packed cuts read back bit for bit: figures of the file's decimals pack, anything else
// (more decimals, -0, a huge figure, not a number) stays as it was, across blocks, stores
// appended at odd sizes, and records taken off the end or out of the middle.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "surveydata/sokusenstore.h"

namespace tidrun {
namespace {

bool SameBits(const TSokusen& a, const TSokusen& b) {
    const double* da[] = {&a.X,    &a.Y,  &a.H,  &a.Dist, &a.GpsA, &a.GpsB,
                          &a.GpsH, &a.DX, &a.DY, &a.DH,   &a.DA};
    const double* db[] = {&b.X,    &b.Y,  &b.H,  &b.Dist, &b.GpsA, &b.GpsB,
                          &b.GpsH, &b.DX, &b.DY, &b.DH,   &b.DA};
    for (int f = 0; f < 11; ++f)
        if (std::memcmp(da[f], db[f], sizeof(double)) != 0) return false;
    return a.Time == b.Time && a.Serial == b.Serial && a.LineNo == b.LineNo && a.CutNo == b.CutNo &&
           a.GpsInt == b.GpsInt && a.NameIndex == b.NameIndex;
}

// An all-data cut as the file prints it, or with one odd value every `oddEvery` records.
TSokusen Cut(int i, double odd, int oddEvery) {
    TSokusen r{};
    r.Serial = 1000 + i;
    r.LineNo = 7 + i / 700;
    r.CutNo = 1 + i % 700;
    r.X = -145123.456 + i * 0.437;  // three decimals after rounding below
    r.X = std::round(r.X * 1000) / 1000;
    r.Y = 21987.004 - i * 0.25;
    r.H = 1.5;
    r.Dist = std::round(i * 437.0) / 1000;
    r.GpsInt = i % 3;
    r.GpsA = std::round((35.123456 + i * 4e-6) * 1e6) / 1e6;
    r.GpsB = 139.000001;
    r.GpsH = -0.25;
    r.Time = 212345678900LL + i / 10;
    r.DX = 0.012;
    r.DY = -0.034;
    r.DH = 0;
    r.DA = 2147483.647;
    r.NameIndex = static_cast<std::uint32_t>(i / 700);
    if (oddEvery > 0 && i % oddEvery == oddEvery - 1) r.H = odd;
    return r;
}

TEST(SokusenStore, EveryRecordReadsBackBitForBit) {
    const double odd[] = {
        0.0 /* packs */,   1.23456, -0.0, 1e300, std::numeric_limits<double>::quiet_NaN(),
        9007199254.7409923};
    for (const double o : odd) {
        SCOPED_TRACE(o);
        std::vector<TSokusen> want;
        // A store read in three pieces of odd sizes, one of them shorter than a block.
        TSokusenStore whole, piece1, piece2;
        int i = 0;
        for (; i < 1000; ++i) whole.Push(want.emplace_back(Cut(i, o, 300)));
        for (; i < 1100; ++i) piece1.Push(Cut(i, o, 300));
        for (; i < 1700; ++i) piece2.Push(Cut(i, o, 300));
        for (int k = 1000; k < 1700; ++k) {
            TSokusen r = Cut(k, o, 300);
            r.NameIndex += k < 1100 ? 5 : 9;
            want.push_back(r);
        }
        whole.Append(std::move(piece1), 5);
        whole.Append(std::move(piece2), 9);
        EXPECT_EQ(piece2.Count(), 0);
        // Grown again, then taken from past a block's end and out of the middle.
        for (; i < 2000; ++i) whole.Push(want.emplace_back(Cut(i, o, 300)));
        for (int k = 0; k < 300; ++k) whole.PopBack();
        want.resize(want.size() - 300);
        whole.Erase(1050);
        want.erase(want.begin() + 1050);
        whole.Push(want.emplace_back(Cut(5000, o, 1)));
        ASSERT_EQ(whole.Count(), static_cast<int>(want.size()));
        for (int k = 0; k < whole.Count(); ++k)
            ASSERT_TRUE(SameBits(whole.At(k), want[static_cast<std::size_t>(k)])) << "record " << k;
        // The places, walked a block at a time as a map reads them.
        TCutPlace places[TSokusenStore::kBlock];
        for (int k = 0, n; (n = whole.Places(k, places, TSokusenStore::kBlock)) > 0; k += n)
            for (int m = 0; m < n; ++m) {
                const TSokusen& r = want[static_cast<std::size_t>(k + m)];
                ASSERT_TRUE(places[m].X == r.X && places[m].Y == r.Y &&
                            places[m].NameIndex == r.NameIndex)
                    << "record " << k + m;
            }
    }
    // All-data cuts take a fraction of the record's own size.
    TSokusenStore packed;
    for (int k = 0; k < 25600; ++k) packed.Push(Cut(k, 0, 0));
    EXPECT_LT(packed.MemoryBytes(), 25600 * sizeof(TSokusen) / 4);
}

}  // namespace
}  // namespace tidrun
