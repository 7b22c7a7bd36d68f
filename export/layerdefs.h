// The layers of an export: their names, geometry and fields, one table for every format.
#pragma once

#include <ogr_core.h>

#include <vector>

namespace tidrun::exportlayers {

// The kinds as layers.
enum class Layer { Lines, Cuts, Soundings, Reference, Buoy, Area, Marks };

struct FieldDef {
    const char* name;
    OGRFieldType type;
    // Width and decimals of a real as the job's files write it (0: as the format likes);
    // text formats then write no more digits than the recording holds.
    int width = 0, precision = 0;
};

struct LayerDef {
    Layer layer;
    unsigned kind;
    const char* name;
    OGRwkbGeometryType geometry;
    std::vector<FieldDef> fields;
};

// Field numbers of each layer, in the order of its FieldDef list.
enum CutField {
    kCutSerial,
    kCutLineNo,
    kCutLineName,
    kCutCutNo,
    kCutX,
    kCutY,
    kCutH,
    kCutDist,
    kCutInterval,
    kCutLat,
    kCutLon,
    kCutGpsH,
    kCutTime,
    kCutDX,
    kCutDY,
    kCutDH,
    kCutDA,
    kCutDepth
};
enum LineField {
    kLineNo,
    kLineName,
    kLineFirstCut,
    kLineLastCut,
    kLineFirstSerial,
    kLineLastSerial,
    kLineCuts,
    kLineLength
};
// A sounding begins with the cut's first fields (kCutSerial .. kCutY), then its own.
enum SoundingField { kSndDepth = kCutY + 1, kSndTime };

// Every layer, in the order of Layer.
const std::vector<LayerDef>& Layers();

}  // namespace tidrun::exportlayers
