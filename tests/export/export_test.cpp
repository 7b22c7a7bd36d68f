// The export read back through GDAL: every format, the counts, a sample of attributes with
// their Japanese text, the positions (plane within 1 mm, WGS84 within 1e-8 degrees of PROJ)
// and the CRS; the plane inverse against PROJ and the zones' EPSG codes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <map>
#include <memory>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "export/jobexport.h"
#include "export/planecrs.h"
#include "positioning/geodesy.h"
#include "surveydata/codec.h"
#include "surveydata/depthfile.h"
#include "surveydata/sokusencoll.h"

namespace tidrun {
namespace {

std::unique_ptr<OGRCoordinateTransformation> Proj(int fromEpsg, int toEpsg) {
    OGRSpatialReference a, b;
    a.importFromEPSG(fromEpsg);
    b.importFromEPSG(toEpsg);
    a.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    b.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return std::unique_ptr<OGRCoordinateTransformation>(OGRCreateCoordinateTransformation(&a, &b));
}

// Each zone's code names the zone's own origin, for each frame; the inverse of the plane
// agrees with PROJ to 1e-8 degrees and goes back to the plane within 0.1 mm.
TEST(PlaneCrs, CodesAndInverseAgreeWithProj) {
    GDALAllRegister();
    struct Frame {
        PlaneFrame frame;
        int first, geographic, datum;
    };
    const Frame frames[] = {{PlaneFrame::Jgd2011, 6669, 6668, 0},
                            {PlaneFrame::Jgd2000, 2443, 4612, 0},
                            {PlaneFrame::Tokyo, 30161, 4301, 1}};
    const double offsets[][2] = {{0, 0}, {52345.678, -41234.5}, {-123456.789, 98765.432}};
    for (const Frame& f : frames) {
        EXPECT_EQ(PlaneEpsg(f.frame, kZoneCount), 0);
        for (int zone = 0; zone < kZoneCount; ++zone) {
            const int epsg = PlaneEpsg(f.frame, zone);
            ASSERT_EQ(epsg, f.first + zone);
            OGRSpatialReference srs;
            ASSERT_EQ(srs.importFromEPSG(epsg), OGRERR_NONE) << epsg;
            EXPECT_NEAR(srs.GetProjParm(SRS_PP_LATITUDE_OF_ORIGIN), ZoneAt(zone).latDeg, 1e-9)
                << epsg;
            EXPECT_NEAR(srs.GetProjParm(SRS_PP_CENTRAL_MERIDIAN), ZoneAt(zone).lonDeg, 1e-9)
                << epsg;
            auto proj = Proj(epsg, f.geographic);
            ASSERT_TRUE(proj);
            for (const auto& o : offsets) {
                const double X = o[0], Y = o[1];
                double lat = 0, lon = 0;
                ASSERT_TRUE(PlaneToGeodetic(zone, f.datum, X, Y, lat, lon));
                double x = Y, y = X;
                ASSERT_TRUE(proj->Transform(1, &x, &y));
                EXPECT_NEAR(lon, x, 1e-8) << epsg << " " << X << " " << Y;
                EXPECT_NEAR(lat, y, 1e-8) << epsg << " " << X << " " << Y;
                TPos pos;
                double bx = 0, by = 0, gamma = 0;
                GeodeticToPlane(pos, zone, f.datum, lat * M_PI / 180, lon * M_PI / 180, bx, by,
                                gamma);
                EXPECT_NEAR(bx, X, 1e-4);
                EXPECT_NEAR(by, Y, 1e-4);
            }
        }
    }
}

// A job: the demo's points, area and marks, three recorded lines with Japanese names (a
// blank and a comma inside one), and a depth companion in which two cuts have no depth.
struct Job {
    QTemporaryDir dir;
    TSokusenColl cuts;
    std::map<int, double> depth;  // serial -> depth, where there is one

    explicit Job(MessageSink& sink) : cuts(sink) {
        for (const char* f : {"Tidrun.CFG", "KIJUN.DAT", "CHOSA.DAT", "SETUHYO.DAT", "MARK.DAT"}) {
            QFile::copy(QStringLiteral(TIDRUN_SOURCE_DIR "/examples/demo/") + f, dir.filePath(f));
        }
        const QString names[] = {QStringLiteral("測線Ａ-1"), QStringLiteral("東 2"),
                                 QStringLiteral("北,3")};
        const int counts[] = {4, 3, 5};
        QByteArray text;
        TDepthWriter depths;
        const QString recording = dir.filePath("SOKUSEN.DAT");
        QFile(recording).open(QIODevice::WriteOnly);
        if (!depths.Open(recording)) qFatal("cannot write the depth file");
        int serial = 1;
        TSokusenColl made(sink);
        for (int line = 0; line < 3; ++line) {
            for (int cut = 1; cut <= counts[line]; ++cut, ++serial) {
                TSokusen c{};
                c.X = -67600.0 + 37.1234 * serial + line * 200.0;
                c.Y = 3400.0 + 21.5678 * cut - line * 50.0;
                c.H = 1.234 + 0.01 * serial;
                c.Dist = cut > 1 ? 42.5 : 0;
                double lat = 0, lon = 0;
                PlaneToGeodetic(8, 0, c.X, c.Y, lat, lon);
                c.GpsA = lat;
                c.GpsB = lon;
                c.GpsH = 40.5;
                c.Time = CutTimeFromDateTime(
                    QDateTime(QDate(2026, 12, 9), QTime(9, 15, 0).addSecs(10 * serial)));
                c.DX = 0.125;
                c.DY = -0.25;
                c.DH = 0.5;
                c.DA = 1.5;
                c.Serial = serial;
                c.LineNo = line + 1;
                c.CutNo = cut;
                c.GpsInt = 10;
                made.Add(c, names[line]);
                text += EncodeCp932(made.FormatLine(made.Count() - 1)) + "\r\n";
                TDepthRow row;
                row.serial = serial;
                row.lineNo = line + 1;
                row.cutNo = cut;
                row.lineName = names[line];
                row.x = c.X;
                row.y = c.Y;
                row.positionTime = CutTimeToDateTime(c.Time);
                if (serial != 2 && serial != 9) {
                    row.depth = 3.0 + serial * 0.37;
                    row.depthTime = row.positionTime;
                    depth[serial] = std::round(*row.depth * 100) / 100;
                }
                if (!depths.Append(row)) qFatal("cannot write the depth file");
            }
        }
        depths.Close();
        QFile f(recording);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        f.close();
        cuts.Load(recording);  // the cuts as the file holds them (6 decimals of latitude)
    }
};

struct ToolRun {
    int status;
    QString out, err;
};
ToolRun Tool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(TIDRUN_TOOL_PATH), QStringList{"export"} + args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

class CollectSink : public MessageSink {
  public:
    void Show(Kind, const QString& text) override { ADD_FAILURE() << qPrintable(text); }
    bool Confirm(const QString&) override { return false; }
};

// The features of one of our layers as a format holds them.
struct ReadLayer {
    GDALDatasetUniquePtr ds;
    std::vector<OGRFeatureUniquePtr> features;
    int epsg = 0;
};

enum class Place { Plane, Wgs84, Recorded };  // where a cut's position comes from

struct FormatCase {
    const char* ext;
    bool wgs84Flag;
    Place cutPlace;
    bool hasCrs, hasAttributes;
};

ReadLayer Read(const QString& dir, const FormatCase& fc, const char* layer) {
    ReadLayer r;
    const QString ext = QLatin1String(fc.ext);
    const bool perFile = ext == "geojson" || ext == "shp" || ext == "csv";
    const QString path = perFile ? QStringLiteral("%1/job_%2.%3").arg(dir, layer, ext)
                                 : QStringLiteral("%1/job.%2").arg(dir, ext);
    CPLStringList open;
    if (ext == "csv") {
        open.SetNameValue("X_POSSIBLE_NAMES", "X");
        open.SetNameValue("Y_POSSIBLE_NAMES", "Y");
        open.SetNameValue("GEOM_POSSIBLE_NAMES", "WKT");
        open.SetNameValue("KEEP_GEOM_COLUMNS", "NO");
    }
    r.ds.reset(GDALDataset::Open(path.toUtf8().constData(), GDAL_OF_VECTOR, nullptr, open.List()));
    if (!r.ds) {
        ADD_FAILURE() << "cannot open " << qPrintable(path);
        return r;
    }
    const std::string want = layer;
    const bool isPoint = want != "lines" && want != "area";
    OGRLayer* l = nullptr;
    const char* filterField = nullptr;
    if (ext == "gpx") {
        l = r.ds->GetLayerByName(isPoint ? "waypoints" : want == "lines" ? "tracks" : "routes");
        filterField = "type";
    } else if (ext == "dxf") {
        l = r.ds->GetLayer(0);
        filterField = "Layer";
    } else {
        l = perFile ? r.ds->GetLayer(0) : r.ds->GetLayerByName(layer);
    }
    if (!l) {
        ADD_FAILURE() << "no layer " << layer << " in " << qPrintable(path);
        return r;
    }
    if (const OGRSpatialReference* srs = l->GetSpatialRef()) {
        OGRSpatialReference copy(*srs);
        copy.AutoIdentifyEPSG();
        if (const char* code = copy.GetAuthorityCode(nullptr)) r.epsg = std::atoi(code);
    }
    for (auto& f : *l) {
        if (filterField && want != f->GetFieldAsString(filterField)) continue;
        // DXF: the line names are text entities beside the line entities.
        if (ext == "dxf" && want == "lines" &&
            wkbFlatten(f->GetGeometryRef()->getGeometryType()) == wkbPoint) {
            continue;
        }
        r.features.push_back(std::move(f));
    }
    return r;
}

const OGRFeature* Find(const ReadLayer& r, const char* field, const QString& value) {
    for (const auto& f : r.features) {
        if (QString::fromUtf8(f->GetFieldAsString(field)) == value) return f.get();
    }
    return nullptr;
}

// The time of a cut as "yyyy-MM-ddTHH:mm:ss", whether the reader took it for text or a time.
QString IsoTimeOf(const OGRFeature* f, const char* name) {
    const int i = f->GetFieldIndex(name);
    if (i < 0) return QStringLiteral("no field");
    const OGRFieldType type = f->GetFieldDefnRef(i)->GetType();
    if (type != OFTDateTime) return QString::fromUtf8(f->GetFieldAsString(i));
    int y, mo, d, h, mi, tz;
    float sec;
    f->GetFieldAsDateTime(i, &y, &mo, &d, &h, &mi, &sec, &tz);
    return QDateTime(QDate(y, mo, d), QTime(h, mi, static_cast<int>(sec))).toString(Qt::ISODate);
}

// Every format written by the tool from a generated job and read back through GDAL.
TEST(Export, EveryFormatReadsBackThroughGdal) {
    GDALAllRegister();
    CollectSink sink;
    Job job(sink);
    ASSERT_EQ(job.cuts.Count(), 12);
    auto toWgs = Proj(6677, 4326);
    const FormatCase cases[] = {
        {"geojson", false, Place::Plane, true, true}, {"gpkg", false, Place::Plane, true, true},
        {"shp", false, Place::Plane, true, true},     {"csv", false, Place::Plane, false, true},
        {"dxf", false, Place::Plane, false, false},   {"kml", false, Place::Recorded, true, true},
        {"gpx", false, Place::Recorded, true, true},  {"gpkg", true, Place::Wgs84, true, true},
        {"shp", true, Place::Wgs84, true, true},
    };
    struct LayerCount {
        const char* layer;
        size_t count;
    };
    const LayerCount counts[] = {
        {"cuts", 12},        {"soundings", 10}, {"lines", 3}, {"reference_points", 10},
        {"buoy_points", 20}, {"area", 2},       {"marks", 4}};
    for (const FormatCase& fc : cases) {
        SCOPED_TRACE(std::string(fc.ext) + (fc.wgs84Flag ? " --wgs84" : ""));
        QTemporaryDir out;
        QStringList args{job.dir.path(), out.filePath(QStringLiteral("job.") + fc.ext)};
        if (fc.wgs84Flag) args << "--wgs84";
        const ToolRun run = Tool(args);
        ASSERT_EQ(run.status, 0) << qPrintable(run.err);
        EXPECT_EQ(run.err, "");
        const bool wgs = fc.cutPlace != Place::Plane;
        // Where a plane position lands in the output.
        auto expectAt = [&](const OGRFeature* f, double X, double Y, int vertex = 0) {
            ASSERT_TRUE(f && f->GetGeometryRef());
            const OGRGeometry* g = f->GetGeometryRef();
            OGRPoint p;
            if (const auto* pt = dynamic_cast<const OGRPoint*>(g)) {
                p = *pt;
            } else if (const auto* ls = dynamic_cast<const OGRSimpleCurve*>(g)) {
                ls->getPoint(vertex, &p);
            } else if (const auto* ml = dynamic_cast<const OGRMultiLineString*>(g)) {
                ml->getGeometryRef(0)->getPoint(vertex, &p);
            } else if (const auto* pg = dynamic_cast<const OGRPolygon*>(g)) {
                pg->getExteriorRing()->getPoint(vertex, &p);
            } else {
                FAIL() << "geometry " << g->getGeometryName();
            }
            double x = Y, y = X;
            if (wgs) {
                ASSERT_TRUE(toWgs->Transform(1, &x, &y));
            }
            const double tol = wgs ? 1e-8 : 1e-3;
            EXPECT_NEAR(p.getX(), x, tol);
            EXPECT_NEAR(p.getY(), y, tol);
        };
        for (const LayerCount& lc : counts) {
            SCOPED_TRACE(lc.layer);
            const ReadLayer r = Read(out.path(), fc, lc.layer);
            EXPECT_EQ(r.features.size(), lc.count);
            if (fc.hasCrs) {
                EXPECT_EQ(r.epsg, wgs ? 4326 : 6677);
            }
        }

        // A sample of the cuts: every field, the depth where there is one, the place.
        const ReadLayer cuts = Read(out.path(), fc, "cuts");
        for (int i : {1, 5, 8, 11}) {
            const TSokusen& c = job.cuts.Item(i);
            const OGRFeature* f = nullptr;
            for (const auto& g : cuts.features) {
                // DXF holds no attributes: its cuts come in file order.
                if (!fc.hasAttributes
                        ? &g == &cuts.features[i]
                        : g->GetFieldAsInteger(
                              fc.ext == std::string("gpx") ? "ogr_serial" : "serial") == c.Serial) {
                    f = g.get();
                }
            }
            ASSERT_TRUE(f) << "cut " << c.Serial;
            if (fc.cutPlace == Place::Recorded) {
                const auto* pt = f->GetGeometryRef()->toPoint();
                EXPECT_NEAR(pt->getX(), c.GpsB, 1e-9);
                EXPECT_NEAR(pt->getY(), c.GpsA, 1e-9);
            } else {
                expectAt(f, c.X, c.Y);
            }
            if (!fc.hasAttributes) continue;
            const std::string p = fc.ext == std::string("gpx") ? "ogr_" : "";
            auto field = [&](const char* name) { return (p + name); };
            EXPECT_EQ(QString::fromUtf8(f->GetFieldAsString(field("line_name").c_str())),
                      job.cuts.LineName(i));
            EXPECT_EQ(f->GetFieldAsInteger(field("line_no").c_str()), c.LineNo);
            EXPECT_EQ(f->GetFieldAsInteger(field("cut_no").c_str()), c.CutNo);
            EXPECT_EQ(f->GetFieldAsInteger(field("interval").c_str()), 10);
            EXPECT_NEAR(f->GetFieldAsDouble(field("plane_x").c_str()), c.X, 1e-3);
            EXPECT_NEAR(f->GetFieldAsDouble(field("h").c_str()), c.H, 1e-6);
            EXPECT_NEAR(f->GetFieldAsDouble(field("gps_lat").c_str()), c.GpsA, 1e-9);
            EXPECT_NEAR(f->GetFieldAsDouble(field("da").c_str()), 1.5, 1e-9);
            EXPECT_EQ(IsoTimeOf(f, "time"), CutTimeToDateTime(c.Time).toString(Qt::ISODate));
            const int depthField = f->GetFieldIndex(field("depth").c_str());
            if (job.depth.count(c.Serial)) {
                EXPECT_DOUBLE_EQ(f->GetFieldAsDouble(depthField), job.depth.at(c.Serial));
            } else {
                EXPECT_TRUE(!f->IsFieldSetAndNotNull(depthField) ||
                            std::string(f->GetFieldAsString(depthField)).empty());
            }
        }

        // The lines: one per run, its name (text in the drawing), cuts and length.
        const ReadLayer lines = Read(out.path(), fc, "lines");
        ASSERT_EQ(lines.features.size(), 3u);
        const OGRFeature* third = lines.features[2].get();
        if (fc.cutPlace == Place::Recorded) {
            OGRPoint p;
            const OGRGeometry* g = third->GetGeometryRef();
            if (auto* ml = dynamic_cast<const OGRMultiLineString*>(g)) {
                ml->getGeometryRef(0)->getPoint(4, &p);
            } else {
                g->toLineString()->getPoint(4, &p);
            }
            EXPECT_NEAR(p.getX(), job.cuts.Item(11).GpsB, 1e-9);
        } else {
            expectAt(third, job.cuts.Item(11).X, job.cuts.Item(11).Y, 4);
        }
        if (fc.hasAttributes) {
            const std::string p = fc.ext == std::string("gpx") ? "ogr_" : "";
            EXPECT_EQ(QString::fromUtf8(third->GetFieldAsString((p + "line_name").c_str())),
                      QStringLiteral("北,3"));
            EXPECT_EQ(third->GetFieldAsInteger((p + "first_cut").c_str()), 1);
            EXPECT_EQ(third->GetFieldAsInteger((p + "last_cut").c_str()), 5);
            EXPECT_EQ(third->GetFieldAsInteger((p + "last_ser").c_str()), 12);
            double length = 0;
            for (int i = 8; i < 12; ++i) {
                length += std::hypot(job.cuts.Item(i).X - job.cuts.Item(i - 1).X,
                                     job.cuts.Item(i).Y - job.cuts.Item(i - 1).Y);
            }
            EXPECT_NEAR(third->GetFieldAsDouble((p + "length").c_str()), length, 1e-3);
        } else {
            // The drawing names each line with a text at its first cut.
            OGRLayer* entities = lines.ds->GetLayer(0);
            int texts = 0;
            for (auto& f : *entities) {
                if (std::string(f->GetFieldAsString("Layer")) != "lines") continue;
                if (wkbFlatten(f->GetGeometryRef()->getGeometryType()) != wkbPoint) continue;
                ++texts;
                if (QString::fromUtf8(f->GetFieldAsString("Text")) == QStringLiteral("東 2")) {
                    expectAt(f.get(), job.cuts.Item(4).X, job.cuts.Item(4).Y);
                }
            }
            EXPECT_EQ(texts, 3);
        }

        // Points, marks and the area with their Japanese names and fields.
        if (fc.hasAttributes) {
            const std::string p = fc.ext == std::string("gpx") ? "ogr_" : "";
            const ReadLayer buoys = Read(out.path(), fc, "buoy_points");
            const OGRFeature* b = Find(buoys, "name", QStringLiteral("設標02"));
            ASSERT_TRUE(b);
            EXPECT_EQ(QString::fromUtf8(b->GetFieldAsString((p + "note").c_str())),
                      QStringLiteral("ブイ"));
            expectAt(b, -67496.564, 3594.317);
            const ReadLayer marks = Read(out.path(), fc, "marks");
            const OGRFeature* m = Find(marks, "name", QStringLiteral("浅所"));
            ASSERT_TRUE(m);
            EXPECT_EQ(m->GetFieldAsInteger((p + "number").c_str()), 65535);
            expectAt(m, -67063.734, 4011.997);
            const ReadLayer refs = Read(out.path(), fc, "reference_points");
            const OGRFeature* k = Find(refs, "name", QStringLiteral("基準2"));
            ASSERT_TRUE(k);
            EXPECT_NEAR(k->GetFieldAsDouble((p + "z").c_str()), 3.043, 1e-9);
            const ReadLayer area = Read(out.path(), fc, "area");
            const OGRFeature* a = Find(area, "name", QStringLiteral("区域1-1"));
            ASSERT_TRUE(a);
            // The ring starts where the file does; a format may turn its direction.
            expectAt(a, -67674.164, 3330.941, 0);
            const OGRLinearRing* ring = a->GetGeometryRef()->getGeometryType() == wkbLineString
                                            ? nullptr
                                            : a->GetGeometryRef()->toPolygon()->getExteriorRing();
            EXPECT_EQ(a->GetFieldAsInteger((p + "vertices").c_str()), 4);
            if (ring) {
                EXPECT_EQ(ring->getNumPoints(), 5);  // closed
            }
        }
        // The Shapefile holds its text in code page 932 and says so.
        if (fc.ext == std::string("shp")) {
            QFile cpg(out.filePath("job_marks.cpg"));
            ASSERT_TRUE(cpg.open(QIODevice::ReadOnly));
            EXPECT_EQ(cpg.readAll().trimmed(), "CP932");
            QFile dbf(out.filePath("job_marks.dbf"));
            ASSERT_TRUE(dbf.open(QIODevice::ReadOnly));
            EXPECT_TRUE(dbf.readAll().contains(EncodeCp932(u"障害物")));
        }
    }
}

// One file when one layer is written; a format it does not know, or a folder it cannot
// write, is one message and leaves nothing behind.
TEST(Export, NamesAndRefusals) {
    CollectSink sink;
    Job job(sink);
    QTemporaryDir out;
    const ToolRun one = Tool({job.dir.path(), out.filePath("only.geojson"), "--what", "cuts"});
    ASSERT_EQ(one.status, 0) << qPrintable(one.err);
    EXPECT_EQ(one.out, out.filePath("only.geojson") + "\n");
    EXPECT_EQ(QDir(out.path())
                  .entryList(QDir::Files | QDir::Hidden | QDir::AllDirs | QDir::NoDotAndDotDot),
              QStringList{"only.geojson"});

    struct Refusal {
        QStringList args;
        int status;
        QString err;
    };
    const Refusal refusals[] = {
        {{job.dir.path(), out.filePath("x.txt")},
         2,
         "出力形式が分かりません（拡張子 .geojson .gpkg .shp .kml .gpx .dxf .csv） / ﾌｧｲﾙ名：" +
             out.filePath("x.txt") + "\n"},
        {{job.dir.path(), out.filePath("x.gpkg"), "--what", "cuts,boats"}, 2, ""},
        {{job.dir.path(), out.filePath("none/x.gpkg")},
         1,
         "出力ファイルを作成できません / ﾌｧｲﾙ名：" + out.filePath("none/x.gpkg") + "\n"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(qPrintable(r.args.join(' ')));
        const ToolRun run = Tool(r.args);
        EXPECT_EQ(run.status, r.status);
        if (!r.err.isEmpty()) {
            EXPECT_EQ(run.err, r.err);
        }
    }
    EXPECT_EQ(QDir(out.path())
                  .entryList(QDir::Files | QDir::Hidden | QDir::AllDirs | QDir::NoDotAndDotDot),
              QStringList{"only.geojson"});
}

}  // namespace
}  // namespace tidrun
