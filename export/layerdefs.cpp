#include "export/layerdefs.h"

#include "export/jobexport.h"

namespace tidrun::exportlayers {

namespace {

constexpr FieldDef kName{"name", OFTString};
constexpr FieldDef kPlaneX{"plane_x", OFTReal, 11, 3};
constexpr FieldDef kPlaneY{"plane_y", OFTReal, 11, 3};
constexpr FieldDef kTime{"time", OFTString};
constexpr FieldDef kDepth{"depth", OFTReal, 8, 2};

// Which cut and where it is on the plane: how a cut and a sounding both begin.
std::vector<FieldDef> CutThen(std::initializer_list<FieldDef> rest) {
    std::vector<FieldDef> fields = {{"serial", OFTInteger},
                                    {"line_no", OFTInteger},
                                    {"line_name", OFTString},
                                    {"cut_no", OFTInteger},
                                    kPlaneX,
                                    kPlaneY};
    fields.insert(fields.end(), rest);
    return fields;
}

}  // namespace

const std::vector<LayerDef>& Layers() {
    static const std::vector<LayerDef> defs = {
        {Layer::Lines,
         kExportLines,
         "lines",
         wkbLineString,
         {{"line_no", OFTInteger},
          {"line_name", OFTString},
          {"first_cut", OFTInteger},
          {"last_cut", OFTInteger},
          {"first_ser", OFTInteger},
          {"last_ser", OFTInteger},
          {"cuts", OFTInteger},
          {"length", OFTReal, 12, 3}}},
        {Layer::Cuts, kExportCuts, "cuts", wkbPoint,
         CutThen({{"h", OFTReal, 8, 3},
                  {"dist", OFTReal, 8, 3},
                  {"interval", OFTInteger},
                  {"gps_lat", OFTReal, 12, 6},
                  {"gps_lon", OFTReal, 12, 6},
                  {"gps_h", OFTReal, 8, 3},
                  kTime,
                  {"dx", OFTReal, 11, 3},
                  {"dy", OFTReal, 11, 3},
                  {"dh", OFTReal, 8, 3},
                  {"da", OFTReal, 8, 3},
                  kDepth})},
        {Layer::Soundings, kExportSoundings, "soundings", wkbPoint, CutThen({kDepth, kTime})},
        {Layer::Reference,
         kExportPoints,
         "reference_points",
         wkbPoint,
         {kName, kPlaneX, kPlaneY, {"z", OFTReal, 8, 3}}},
        {Layer::Buoy,
         kExportPoints,
         "buoy_points",
         wkbPoint,
         {kName, kPlaneX, kPlaneY, {"note", OFTString}}},
        {Layer::Area,
         kExportArea,
         "area",
         wkbPolygon,
         {{"region", OFTInteger}, kName, {"vertices", OFTInteger}}},
        {Layer::Marks,
         kExportMarks,
         "marks",
         wkbPoint,
         {kName, {"number", OFTInteger}, kPlaneX, kPlaneY}},
    };
    return defs;
}

}  // namespace tidrun::exportlayers
