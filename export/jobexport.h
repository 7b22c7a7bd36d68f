// A job's kinds written as OGR features to a dataset whose driver follows the output's
// extension. Features are written as they are made, never collected; the files appear
// at their names only when written completely.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

#include "surveydata/depthfile.h"
#include "surveydata/jobsettings.h"
#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"

namespace tidrun {

enum ExportKind : unsigned {
    kExportLines = 1u << 0,      // one line feature per recorded run of a line
    kExportCuts = 1u << 1,       // every cut with every field of its recording line
    kExportSoundings = 1u << 2,  // the cuts that have a depth
    kExportPoints = 1u << 3,     // reference points and buoy points (two layers)
    kExportArea = 1u << 4,       // one polygon per region of the survey area
    kExportMarks = 1u << 5,
    kExportAll = (1u << 6) - 1,
};

// "lines,cuts,..." to kinds; false for an unknown or empty name.
bool ParseExportKinds(const QString& list, unsigned& kinds);

// The output formats by extension (lower case, without the dot).
enum class ExportFormat { Unknown, GeoJson, GeoPackage, Shapefile, Kml, Gpx, Dxf, Csv };
ExportFormat ExportFormatOf(const QString& outPath);
// The extensions the export knows, for usage texts and the dialog: "geojson", "gpkg", ...
QStringList ExportExtensions();

struct TExportSource {
    const TJobSettings& settings;
    const TKijunColl& kijun;
    const TTansaColl& tansa;
    const TSokusenColl& cuts;
    const TIjoColl& ijo;
    const TMisokuColl& misoku;
    const TDepthTable* depths = nullptr;  // the recording's depth companion, when it has one
};

struct TExportOptions {
    unsigned kinds = kExportAll;
    bool wgs84 = false;    // EPSG:4326 instead of the plane zone (always for KML and GPX)
    bool jgd2000 = false;  // the world map datum's plane codes of JGD2000 instead of JGD2011
    // Called with the records written so far and the total, every few thousand records and
    // at the end.
    std::function<void(std::int64_t done, std::int64_t total)> progress;
};

struct TExportResult {
    bool ok = false;
    QString error;      // the one message for the user when not ok
    QStringList files;  // the files written, in order
};

TExportResult ExportJob(const TExportSource& source, const QString& outPath,
                        const TExportOptions& options);

}  // namespace tidrun
