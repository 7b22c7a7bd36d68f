// The floor of an export through GDAL: one million points with the cut layer's fields written
// straight through OGR, with nothing of ours in the loop (no job, no conversion, no progress),
// one feature reused, fields set by index, one transaction where the format has them. What
// this takes is what the driver itself costs; the export cannot be faster than this.
//   TIDRUN_BENCH_DIR  a folder on the disk the export would write to (default ".")
#include <benchmark/benchmark.h>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "export/layerdefs.h"

namespace {

using namespace tidrun::exportlayers;

constexpr int kPoints = 1000 * 1000;

std::string BenchDir() {
    const char* dir = std::getenv("TIDRUN_BENCH_DIR");
    return dir ? dir : ".";
}

// Writes kPoints cuts to `path` with `driver`; false with the reason in state on failure.
bool WritePoints(benchmark::State& state, const char* driverName, const std::string& path,
                 const char* const* layerOptions) {
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName);
    if (!driver) {
        state.SkipWithError("driver missing");
        return false;
    }
    GDALDatasetUniquePtr ds(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!ds) {
        state.SkipWithError("cannot create the dataset");
        return false;
    }
    const bool transactions = ds->TestCapability(ODsCTransactions);
    if (transactions) ds->StartTransaction();
    OGRSpatialReference srs;
    srs.importFromEPSG(6677);
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const LayerDef& def = Layers()[static_cast<size_t>(Layer::Cuts)];
    OGRLayer* layer =
        ds->CreateLayer(def.name, &srs, def.geometry, const_cast<char**>(layerOptions));
    if (!layer) {
        state.SkipWithError("cannot create the layer");
        return false;
    }
    for (const FieldDef& f : def.fields) {
        OGRFieldDefn field(f.name, f.type);
        field.SetWidth(f.width);
        field.SetPrecision(f.precision);
        if (layer->CreateField(&field) != OGRERR_NONE) {
            state.SkipWithError("cannot create a field");
            return false;
        }
    }
    OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer->GetLayerDefn()));
    auto* point = new OGRPoint;
    feature->SetGeometryDirectly(point);
    // Positions laid out as scripts/gen_recording.py lays out the benchmark's recording (1,000
    // lines of 1,000 cuts, 2.5 m apart, starting within a square kilometre), so that the
    // spatial index has the same work to do.
    std::mt19937 random(4);
    std::uniform_real_distribution<double> start(-500, 500), angle(0, 2 * M_PI), jitter(-0.2, 0.2);
    const char* time = "2026-12-10T09:41:27";
    char name[64] = "";
    double x0 = 0, y0 = 0, dx = 0, dy = 0;
    for (int i = 0; i < kPoints; ++i) {
        const int line = i / 1000 + 1, cut = i % 1000 + 1;
        if (cut == 1) {
            std::snprintf(name, sizeof name, "測線%04d 第%d区", line, (line - 1) / 50 + 1);
            x0 = -145000.0 + start(random);
            y0 = 23000.0 + start(random);
            const double heading = angle(random);
            dx = std::cos(heading) * 2.5;
            dy = std::sin(heading) * 2.5;
        }
        const double X = x0 + dx * cut + jitter(random), Y = y0 + dy * cut + jitter(random);
        point->setX(Y);
        point->setY(X);
        feature->SetField(kCutSerial, static_cast<GIntBig>(i + 1));
        feature->SetField(kCutLineNo, static_cast<GIntBig>(line));
        feature->SetField(kCutLineName, name);
        feature->SetField(kCutCutNo, static_cast<GIntBig>(cut));
        feature->SetField(kCutX, X);
        feature->SetField(kCutY, Y);
        feature->SetField(kCutH, 1.234);
        feature->SetField(kCutDist, 1.25);
        feature->SetField(kCutInterval, static_cast<GIntBig>(1));
        feature->SetField(kCutLat, 35.123456);
        feature->SetField(kCutLon, 139.654321);
        feature->SetField(kCutGpsH, 40.125);
        feature->SetField(kCutTime, time);
        feature->SetField(kCutDX, 0.012);
        feature->SetField(kCutDY, -0.034);
        feature->SetField(kCutDH, 0.005);
        feature->SetField(kCutDA, 0.25);
        feature->SetFieldNull(kCutDepth);
        feature->SetFID(OGRNullFID);
        if (layer->CreateFeature(feature.get()) != OGRERR_NONE) {
            state.SkipWithError("cannot write a feature");
            return false;
        }
    }
    if (transactions && ds->CommitTransaction() != OGRERR_NONE) {
        state.SkipWithError("cannot commit");
        return false;
    }
    ds.reset();  // the driver finishes the file (for GeoPackage: its spatial index) here
    return true;
}

void RunFloor(benchmark::State& state, const char* driverName, const char* file,
              const char* const* layerOptions) {
    GDALAllRegister();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    const std::string path = BenchDir() + "/" + file;
    for (auto _ : state) {
        state.PauseTiming();
        VSIUnlink(path.c_str());
        state.ResumeTiming();
        if (!WritePoints(state, driverName, path, layerOptions)) break;
    }
    VSIUnlink(path.c_str());
    CPLPopErrorHandler();
    state.counters["points"] = kPoints;
}

void BM_OgrFloorGeoPackage(benchmark::State& state) {
    RunFloor(state, "GPKG", "bench-floor.gpkg", nullptr);
}

// The same without the spatial index, which the driver builds when the file is closed: what
// the index alone costs.
void BM_OgrFloorGeoPackageNoIndex(benchmark::State& state) {
    static const char* const options[] = {"SPATIAL_INDEX=NO", nullptr};
    RunFloor(state, "GPKG", "bench-floor.gpkg", options);
}

void BM_OgrFloorCsv(benchmark::State& state) {
    // The export's own options for point layers.
    static const char* const options[] = {"GEOMETRY=AS_XY", "STRING_QUOTING=IF_NEEDED", nullptr};
    RunFloor(state, "CSV", "bench-floor.csv", options);
}

}  // namespace

BENCHMARK(BM_OgrFloorGeoPackage)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_OgrFloorGeoPackageNoIndex)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_OgrFloorCsv)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
