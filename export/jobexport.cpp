#include "export/jobexport.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include "export/layerdefs.h"
#include "export/planecrs.h"

namespace tidrun {

namespace {

using namespace exportlayers;

struct FormatDef {
    ExportFormat format;
    const char* extension;
    const char* driver;
};
constexpr FormatDef kFormats[] = {
    {ExportFormat::GeoJson, "geojson", "GeoJSON"},
    {ExportFormat::GeoPackage, "gpkg", "GPKG"},
    {ExportFormat::Shapefile, "shp", "ESRI Shapefile"},
    {ExportFormat::Kml, "kml", "KML"},
    {ExportFormat::Gpx, "gpx", "GPX"},
    {ExportFormat::Dxf, "dxf", "DXF"},
    {ExportFormat::Csv, "csv", "CSV"},
};

// Formats that hold one layer per file: each layer goes to a file of its own beside OUT.
bool OneLayerPerFile(ExportFormat f) {
    return f == ExportFormat::GeoJson || f == ExportFormat::Shapefile || f == ExportFormat::Csv;
}
bool AlwaysWgs84(ExportFormat f) {
    return f == ExportFormat::Kml || f == ExportFormat::Gpx;
}

// "yyyy-MM-ddTHH:mm:ss" of a cut's local time (the recording holds no time zone).
void IsoTime(CutTime t, char (&out)[32]) {
    constexpr std::int64_t kDay = 86400;
    const std::int64_t day = t >= 0 ? t / kDay : (t - kDay + 1) / kDay;
    const std::int64_t sec = t - day * kDay;
    int y = 0, m = 0, d = 0;
    QDate::fromJulianDay(day).getDate(&y, &m, &d);
    std::snprintf(out, sizeof out, "%04d-%02d-%02dT%02d:%02d:%02d", y, m, d,
                  static_cast<int>(sec / 3600), static_cast<int>(sec / 60 % 60),
                  static_cast<int>(sec % 60));
}

struct QuietGdal {
    QuietGdal() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietGdal() { CPLPopErrorHandler(); }
};

// Where the features of one layer go: its OGR layer, one feature reused for every record,
// and the layer's field of each of our fields (-1: the format has no place for it).
struct Sink {
    OGRLayer* layer = nullptr;
    OGRFeatureUniquePtr feature;
    std::vector<int> field;
    QString path;  // the file, for messages

    void Int(int f, std::int64_t v) {
        if (field[f] >= 0) feature->SetField(field[f], static_cast<GIntBig>(v));
    }
    void Real(int f, double v) {
        if (field[f] >= 0) feature->SetField(field[f], v);
    }
    void Text(int f, const char* utf8) {
        if (field[f] >= 0) feature->SetField(field[f], utf8);
    }
    void Null(int f) {
        if (field[f] >= 0) feature->SetFieldNull(field[f]);
    }
};

class Writer {
  public:
    Writer(const TExportSource& src, const TExportOptions& opt, ExportFormat format,
           const QString& outPath)
        : src_(src), opt_(opt), format_(format), out_(outPath) {
        wgs84_ = opt.wgs84 || AlwaysWgs84(format);
        if (format == ExportFormat::Dxf) wgs84_ = false;  // drawings stay in plane metres
        zone_ = src.settings.ZoneIndex();
        mapDatum_ = src.settings.TargetDatum();
        gpsDatum_ = src.settings.SourceDatum();
        const PlaneFrame frame = mapDatum_ != 0 ? PlaneFrame::Tokyo
                                 : opt.jgd2000  ? PlaneFrame::Jgd2000
                                                : PlaneFrame::Jgd2011;
        srs_.importFromEPSG(wgs84_ ? 4326 : PlaneEpsg(frame, zone_));
        srs_.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    }

    TExportResult Run();

  private:
    bool Prepare();
    bool OpenDataset(const QString& fileName, GDALDatasetUniquePtr& ds);
    Sink* SinkFor(const LayerDef& def);
    // A layer's feature goes before the next layer is made: GPX and DXF layers are shared,
    // and a new field would not fit a feature made before it.
    bool Done(const LayerDef& def) {
        sinks_[static_cast<size_t>(def.layer)].reset();
        return true;
    }
    bool Put(Sink& sink);
    bool Position(double X, double Y, double& x, double& y);
    bool CutPosition(const TSokusen& c, double& x, double& y);
    bool Fail(const QString& text, const QString& path);
    void Tick();

    bool WriteLines();
    bool WriteCuts(bool soundingsOnly);
    bool WritePoints();
    bool WriteArea();
    bool WriteMarks();

    const TExportSource& src_;
    const TExportOptions& opt_;
    ExportFormat format_;
    QString out_;
    bool wgs84_ = false;
    int zone_ = 0, mapDatum_ = 0, gpsDatum_ = 0;
    OGRSpatialReference srs_;
    GDALDriver* driver_ = nullptr;
    std::unique_ptr<QTemporaryDir> tmp_;
    std::vector<GDALDatasetUniquePtr> datasets_;
    std::vector<std::unique_ptr<Sink>> sinks_;  // one per layer of ours, in Layers() order
    std::vector<QString> names_;                // the file names written in tmp_
    int layerCount_ = 0;
    std::int64_t done_ = 0, total_ = 0;
    TExportResult result_;
    QByteArray nameUtf8_;
    std::uint32_t nameIndex_ = UINT32_MAX;
};

bool Writer::Fail(const QString& text, const QString& path) {
    if (result_.error.isEmpty()) {
        result_.error = text + QStringLiteral("\r\nﾌｧｲﾙ名：") + path;
        const QString detail = QString::fromUtf8(CPLGetLastErrorMsg()).trimmed();
        if (!detail.isEmpty()) result_.error += QStringLiteral("\r\n") + detail;
    }
    return false;
}

void Writer::Tick() {
    ++done_;
    if (opt_.progress && (done_ & 4095) == 0) opt_.progress(done_, total_);
}

bool Writer::OpenDataset(const QString& fileName, GDALDatasetUniquePtr& ds) {
    const QString path = tmp_->filePath(fileName);
    CPLStringList options;
    if (format_ == ExportFormat::Kml) options.SetNameValue("NameField", "name");
    if (format_ == ExportFormat::Gpx) options.SetNameValue("GPX_USE_EXTENSIONS", "YES");
    ds.reset(driver_->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, options.List()));
    if (!ds) return Fail(QStringLiteral("出力ファイルを作成できません"), out_);
    if (format_ == ExportFormat::GeoPackage && ds->StartTransaction() != OGRERR_NONE) {
        return Fail(QStringLiteral("出力ファイルを作成できません"), out_);
    }
    names_.push_back(fileName);
    return true;
}

bool Writer::Prepare() {
    for (const LayerDef& def : Layers()) {
        if (opt_.kinds & def.kind) ++layerCount_;
    }
    const int cuts = src_.cuts.Count();
    if (opt_.kinds & kExportLines) total_ += cuts;
    if (opt_.kinds & kExportCuts) total_ += cuts;
    if (opt_.kinds & kExportSoundings) total_ += cuts;
    if (opt_.kinds & kExportPoints) total_ += src_.kijun.Count() + src_.ijo.Count();
    if (opt_.kinds & kExportArea) total_ += src_.tansa.Count();
    if (opt_.kinds & kExportMarks) total_ += src_.misoku.Count();

    driver_ = GetGDALDriverManager()->GetDriverByName(
        std::find_if(std::begin(kFormats), std::end(kFormats), [&](const FormatDef& f) {
            return f.format == format_;
        })->driver);
    if (!driver_) return Fail(QStringLiteral("出力形式が使えません"), out_);
    const QFileInfo info(out_);
    tmp_ = std::make_unique<QTemporaryDir>(info.absolutePath() +
                                           QStringLiteral("/.tidrun-export-XXXXXX"));
    if (!tmp_->isValid()) return Fail(QStringLiteral("出力ファイルを作成できません"), out_);
    sinks_.resize(Layers().size());
    if (!OneLayerPerFile(format_)) {
        datasets_.emplace_back();
        return OpenDataset(info.fileName(), datasets_.back());
    }
    return true;
}

Sink* Writer::SinkFor(const LayerDef& def) {
    auto& slot = sinks_[static_cast<size_t>(def.layer)];
    if (slot) return slot.get();
    auto sink = std::make_unique<Sink>();
    const QFileInfo info(out_);
    GDALDataset* ds = nullptr;
    if (OneLayerPerFile(format_)) {
        const QString name = layerCount_ == 1
                                 ? info.fileName()
                                 : info.completeBaseName() + QLatin1Char('_') +
                                       QLatin1String(def.name) + QLatin1Char('.') + info.suffix();
        datasets_.emplace_back();
        if (!OpenDataset(name, datasets_.back())) return nullptr;
        ds = datasets_.back().get();
        sink->path = info.dir().filePath(name);
    } else {
        ds = datasets_.front().get();
        sink->path = out_;
    }

    // The layer: GPX and DXF have fixed layers that several of ours share.
    OGRwkbGeometryType geometry = def.geometry;
    const char* layerName = def.name;
    CPLStringList options;
    if (format_ == ExportFormat::Gpx) {
        if (def.geometry == wkbPoint) {
            layerName = "waypoints";
        } else if (def.layer == Layer::Lines) {
            layerName = "tracks";
            geometry = wkbMultiLineString;
        } else {
            layerName = "routes";
            geometry = wkbLineString;
        }
    } else if (format_ == ExportFormat::Dxf) {
        layerName = "entities";
    } else if (format_ == ExportFormat::Shapefile) {
        options.SetNameValue("ENCODING", "CP932");
    } else if (format_ == ExportFormat::Csv) {
        options.SetNameValue("GEOMETRY", def.geometry == wkbPoint ? "AS_XY" : "AS_WKT");
        options.SetNameValue("STRING_QUOTING", "IF_NEEDED");
    } else if (format_ == ExportFormat::GeoJson) {
        options.SetNameValue("RFC7946", "NO");
    }
    OGRLayer* layer = ds->GetLayerByName(layerName);
    if (!layer) {
        layer = ds->CreateLayer(layerName, &srs_, geometry, options.List());
        if (!layer) {
            Fail(QStringLiteral("出力ファイルを作成できません"), sink->path);
            return nullptr;
        }
    }
    const bool fixedFields = format_ == ExportFormat::Dxf;
    for (const FieldDef& f : def.fields) {
        int index = -1;
        if (!fixedFields) {
            index = layer->GetLayerDefn()->GetFieldIndex(f.name);
            if (index < 0) {
                OGRFieldDefn field(f.name, f.type);
                field.SetWidth(f.width);
                field.SetPrecision(f.precision);
                if (layer->CreateField(&field) != OGRERR_NONE) {
                    Fail(QStringLiteral("出力ファイルを作成できません"), sink->path);
                    return nullptr;
                }
                index = layer->GetLayerDefn()->GetFieldIndex(f.name);
            }
        }
        sink->field.push_back(index);
    }
    sink->layer = layer;
    sink->feature.reset(OGRFeature::CreateFeature(layer->GetLayerDefn()));
    if (format_ == ExportFormat::Dxf) {
        sink->feature->SetField("Layer", def.name);
    } else if (format_ == ExportFormat::Gpx) {
        sink->feature->SetField("type", def.name);
    }
    slot = std::move(sink);
    return slot.get();
}

bool Writer::Put(Sink& sink) {
    sink.feature->SetFID(OGRNullFID);
    if (sink.layer->CreateFeature(sink.feature.get()) != OGRERR_NONE) {
        return Fail(QStringLiteral("出力ファイル書込エラー"), sink.path);
    }
    return true;
}

// Plane X (northing), Y (easting) to the output's x, y: easting and northing, or longitude
// and latitude.
bool Writer::Position(double X, double Y, double& x, double& y) {
    if (!wgs84_) {
        x = Y;
        y = X;
        return true;
    }
    if (PlaneToWgs84(zone_, mapDatum_, X, Y, y, x)) return true;
    CPLErrorReset();
    return Fail(QStringLiteral("座標を緯度経度に変換できません（X %1 Y %2）")
                    .arg(X, 0, 'f', 3)
                    .arg(Y, 0, 'f', 3),
                out_);
}

// KML and GPX place a cut where the receiver said it was; the other formats where the
// recording put it on the plane.
bool Writer::CutPosition(const TSokusen& c, double& x, double& y) {
    if (!AlwaysWgs84(format_)) return Position(c.X, c.Y, x, y);
    if (GeodeticToWgs84(gpsDatum_, c.GpsA, c.GpsB, y, x)) return true;
    return Fail(QStringLiteral("座標を緯度経度に変換できません（緯度 %1 経度 %2）")
                    .arg(c.GpsA, 0, 'f', 6)
                    .arg(c.GpsB, 0, 'f', 6),
                out_);
}

bool Writer::WriteCuts(bool soundingsOnly) {
    const LayerDef& def = Layers()[soundingsOnly ? 2 : 1];
    Sink* sink = SinkFor(def);
    if (!sink) return false;
    auto* point = new OGRPoint;
    sink->feature->SetGeometryDirectly(point);
    const TSokusenColl& cuts = src_.cuts;
    char iso[32];
    for (int i = 0; i < cuts.Count(); ++i) {
        Tick();
        const TSokusen& c = cuts.Item(i);
        std::optional<float> depth;
        if (src_.depths) depth = src_.depths->DepthOf(c.Serial);
        if (soundingsOnly && !depth) continue;
        double x = 0, y = 0;
        if (!CutPosition(c, x, y)) return false;
        point->setX(x);
        point->setY(y);
        if (c.NameIndex != nameIndex_) {
            nameIndex_ = c.NameIndex;
            nameUtf8_ = cuts.LineName(i).toUtf8();
        }
        IsoTime(c.Time, iso);
        sink->Int(kCutSerial, c.Serial);
        sink->Int(kCutLineNo, c.LineNo);
        sink->Text(kCutLineName, nameUtf8_.constData());
        sink->Int(kCutCutNo, c.CutNo);
        sink->Real(kCutX, c.X);
        sink->Real(kCutY, c.Y);
        if (soundingsOnly) {
            sink->Real(kSndDepth, std::round(static_cast<double>(*depth) * 100.0) / 100.0);
            sink->Text(kSndTime, iso);
        } else {
            sink->Real(kCutH, c.H);
            sink->Real(kCutDist, c.Dist);
            sink->Int(kCutInterval, c.GpsInt);
            sink->Real(kCutLat, c.GpsA);
            sink->Real(kCutLon, c.GpsB);
            sink->Real(kCutGpsH, c.GpsH);
            sink->Text(kCutTime, iso);
            sink->Real(kCutDX, c.DX);
            sink->Real(kCutDY, c.DY);
            sink->Real(kCutDH, c.DH);
            sink->Real(kCutDA, c.DA);
            // The companion holds the depth to centimetres; float keeps more digits than that.
            if (depth) {
                sink->Real(kCutDepth, std::round(static_cast<double>(*depth) * 100.0) / 100.0);
            } else {
                sink->Null(kCutDepth);
            }
        }
        if (format_ == ExportFormat::Gpx) {
            sink->feature->SetField("name", nameUtf8_.constData());
            sink->feature->SetField("time", iso);
        }
        if (!Put(*sink)) return false;
    }
    return Done(def);
}

bool Writer::WriteLines() {
    Sink* sink = SinkFor(Layers()[0]);
    if (!sink) return false;
    const TSokusenColl& cuts = src_.cuts;
    OGRLineString line;
    double length = 0;
    int first = 0;
    auto flush = [&](int last) {
        const TSokusen& a = cuts.Item(first);
        const TSokusen& b = cuts.Item(last);
        const QByteArray name = cuts.LineName(first).toUtf8();
        sink->Int(kLineNo, a.LineNo);
        sink->Text(kLineName, name.constData());
        sink->Int(kLineFirstCut, a.CutNo);
        sink->Int(kLineLastCut, b.CutNo);
        sink->Int(kLineFirstSerial, a.Serial);
        sink->Int(kLineLastSerial, b.Serial);
        sink->Int(kLineCuts, last - first + 1);
        sink->Real(kLineLength, std::round(length * 1000.0) / 1000.0);
        if (format_ == ExportFormat::Gpx) {
            auto multi = std::make_unique<OGRMultiLineString>();
            multi->addGeometry(&line);
            sink->feature->SetGeometryDirectly(multi.release());
            sink->feature->SetField("name", name.constData());
        } else {
            sink->feature->SetGeometry(&line);
        }
        if (!Put(*sink)) return false;
        if (format_ == ExportFormat::Dxf) {
            // The line's name as text at its first cut.
            OGRPoint at(line.getX(0), line.getY(0));
            auto& f = sink->feature;
            f->SetGeometry(&at);
            QString label = cuts.LineName(first);
            label.remove(QLatin1Char('"'));
            f->SetStyleString(("LABEL(f:\"Arial\",t:\"" + label.toUtf8() + "\",s:2g)").constData());
            const bool ok = Put(*sink);
            f->SetStyleString(nullptr);
            if (!ok) return false;
        }
        line.empty();
        length = 0;
        return true;
    };
    for (int i = 0; i < cuts.Count(); ++i) {
        Tick();
        const TSokusen& c = cuts.Item(i);
        if (i > first && c.LineNo != cuts.Item(i - 1).LineNo) {
            if (!flush(i - 1)) return false;
            first = i;
        }
        if (i > first) {
            const TSokusen& p = cuts.Item(i - 1);
            length += std::hypot(c.X - p.X, c.Y - p.Y);
        }
        double x = 0, y = 0;
        if (!CutPosition(c, x, y)) return false;
        line.addPoint(x, y);
    }
    return (cuts.Count() == 0 || flush(cuts.Count() - 1)) && Done(Layers()[0]);
}

bool Writer::WritePoints() {
    Sink* ref = SinkFor(Layers()[3]);
    if (!ref) return false;
    auto put = [&](Sink& sink, double X, double Y, const QString& name) {
        double x = 0, y = 0;
        if (!Position(X, Y, x, y)) return false;
        sink.feature->SetGeometryDirectly(new OGRPoint(x, y));
        const QByteArray utf8 = name.toUtf8();
        sink.Text(0, utf8.constData());
        sink.Real(1, X);
        sink.Real(2, Y);
        return true;
    };
    for (const TKijun& k : src_.kijun.Items()) {
        Tick();
        if (!put(*ref, k.X, k.Y, k.Name)) return false;
        ref->Real(3, k.Z);
        if (format_ == ExportFormat::Gpx) ref->feature->SetField("name", k.Name.toUtf8());
        if (!Put(*ref)) return false;
    }
    Done(Layers()[3]);
    Sink* buoy = SinkFor(Layers()[4]);
    if (!buoy) return false;
    for (const TIjo& b : src_.ijo.Items()) {
        Tick();
        if (!put(*buoy, b.X, b.Y, b.Name)) return false;
        buoy->Text(3, b.Note.toUtf8().constData());
        if (format_ == ExportFormat::Gpx) buoy->feature->SetField("name", b.Name.toUtf8());
        if (!Put(*buoy)) return false;
    }
    return Done(Layers()[4]);
}

bool Writer::WriteMarks() {
    Sink* sink = SinkFor(Layers()[6]);
    if (!sink) return false;
    for (const TMisoku& m : src_.misoku.Items()) {
        Tick();
        double x = 0, y = 0;
        if (!Position(m.X, m.Y, x, y)) return false;
        sink->feature->SetGeometryDirectly(new OGRPoint(x, y));
        const QByteArray name = m.Name.toUtf8();
        sink->Text(0, name.constData());
        sink->Int(1, m.Number);
        sink->Real(2, m.X);
        sink->Real(3, m.Y);
        if (format_ == ExportFormat::Gpx) sink->feature->SetField("name", name.constData());
        if (!Put(*sink)) return false;
    }
    return Done(Layers()[6]);
}

bool Writer::WriteArea() {
    Sink* sink = SinkFor(Layers()[5]);
    if (!sink) return false;
    const auto& v = src_.tansa.Items();
    size_t first = 0;
    while (first < v.size()) {
        size_t end = first;
        while (end < v.size() && v[end].Region == v[first].Region) ++end;
        auto ring = std::make_unique<OGRLinearRing>();
        for (size_t i = first; i < end; ++i) {
            Tick();
            double x = 0, y = 0;
            if (!Position(v[i].X, v[i].Y, x, y)) return false;
            ring->addPoint(x, y);
        }
        ring->closeRings();
        if (format_ == ExportFormat::Gpx) {
            sink->feature->SetGeometryDirectly(new OGRLineString(*ring));
        } else {
            auto polygon = std::make_unique<OGRPolygon>();
            polygon->addRingDirectly(ring.release());
            sink->feature->SetGeometryDirectly(polygon.release());
        }
        const QByteArray name = v[first].Name.toUtf8();
        sink->Int(0, v[first].Region);
        sink->Text(1, name.constData());
        sink->Int(2, static_cast<std::int64_t>(end - first));
        if (format_ == ExportFormat::Gpx) sink->feature->SetField("name", name.constData());
        if (!Put(*sink)) return false;
        first = end;
    }
    return Done(Layers()[5]);
}

TExportResult Writer::Run() {
    QuietGdal quiet;
    GDALAllRegister();
    if (!Prepare()) return result_;
    const unsigned k = opt_.kinds;
    // Points first, then polygons, then lines: GPX wants its waypoints before its routes
    // (the area) and those before its tracks (the lines).
    const bool written =
        (!(k & kExportCuts) || WriteCuts(false)) && (!(k & kExportSoundings) || WriteCuts(true)) &&
        (!(k & kExportPoints) || WritePoints()) && (!(k & kExportMarks) || WriteMarks()) &&
        (!(k & kExportArea) || WriteArea()) && (!(k & kExportLines) || WriteLines());
    sinks_.clear();
    if (!written) return result_;  // the temporary folder and what is in it go
    for (auto& ds : datasets_) {
        if (format_ == ExportFormat::GeoPackage && ds->CommitTransaction() != OGRERR_NONE) {
            Fail(QStringLiteral("出力ファイル書込エラー"), out_);
            return result_;
        }
        CPLErrorReset();
        ds->FlushCache(true);
        ds.reset();
        if (CPLGetLastErrorType() >= CE_Failure) {
            Fail(QStringLiteral("出力ファイル書込エラー"), out_);
            return result_;
        }
    }
    // Every file complete: each takes the place of the one of its name.
    const QDir target = QFileInfo(out_).absoluteDir();
    const QStringList files = QDir(tmp_->path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& f : files) {
        std::error_code ec;
        std::filesystem::rename(QFile::encodeName(tmp_->filePath(f)).toStdString(),
                                QFile::encodeName(target.filePath(f)).toStdString(), ec);
        if (ec) {
            Fail(QStringLiteral("出力ファイルを作成できません"), target.filePath(f));
            return result_;
        }
        result_.files << target.filePath(f);
    }
    if (opt_.progress) opt_.progress(done_, total_);
    result_.ok = true;
    return result_;
}

}  // namespace

bool ParseExportKinds(const QString& list, unsigned& kinds) {
    static const std::pair<const char*, unsigned> names[] = {
        {"lines", kExportLines},   {"cuts", kExportCuts}, {"soundings", kExportSoundings},
        {"points", kExportPoints}, {"area", kExportArea}, {"marks", kExportMarks},
    };
    kinds = 0;
    for (const QString& word : list.split(QLatin1Char(','))) {
        const QString w = word.trimmed();
        const auto it = std::find_if(std::begin(names), std::end(names),
                                     [&](const auto& n) { return w == QLatin1String(n.first); });
        if (it == std::end(names)) return false;
        kinds |= it->second;
    }
    return kinds != 0;
}

ExportFormat ExportFormatOf(const QString& outPath) {
    const QString ext = QFileInfo(outPath).suffix().toLower();
    for (const FormatDef& f : kFormats) {
        if (ext == QLatin1String(f.extension)) return f.format;
    }
    return ExportFormat::Unknown;
}

QStringList ExportExtensions() {
    QStringList out;
    for (const FormatDef& f : kFormats) out << QLatin1String(f.extension);
    return out;
}

TExportResult ExportJob(const TExportSource& source, const QString& outPath,
                        const TExportOptions& options) {
    const ExportFormat format = ExportFormatOf(outPath);
    if (format == ExportFormat::Unknown) {
        TExportResult r;
        r.error = QStringLiteral("出力形式が分かりません（拡張子 .%1）\r\nﾌｧｲﾙ名：")
                      .arg(ExportExtensions().join(QStringLiteral(" ."))) +
                  outPath;
        return r;
    }
    Writer writer(source, options, format, outPath);
    return writer.Run();
}

}  // namespace tidrun
