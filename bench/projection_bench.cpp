// Converts the same 1,000,000 points (forward) and the same 1000 image lines
// of 1000 pixels (inverse) through the engine and through PROJ, for every
// projection in the table, in interleaved rounds, and prints points per
// second and the ratio of the engine's speed to PROJ's of every round and
// their median, with the load average before and after.
//
// PROJ gets the least work: radians in, metres out, on a prepared
// conversion through proj_trans_generic.  The engine does its whole job:
// degrees in, image columns and lines out; inversely it also builds each
// line's plane coordinates from the pixel grid.
#include "quorvex/quorvex.h"
#include "trasfo/trasfo.h"

#include <benchmark/benchmark.h>
#include <proj.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int side = 1000; // image lines and pixels per line
constexpr long point_count = long(side) * side;

// One projection: the engine's image (a 1000 x 1000 grid over the area),
// the same projection for PROJ, and the sampled domain of the forward.
struct BenchProjection {
    const char *name;
    int16_t code;
    double lon_center, lat_center, par1, par2, a, b, fe, fn;
    double dx, dy, x_center, y_center; // pixels per plane unit, centre pixel
    const char *peer;
    double metres_per_plane; // PROJ metres per engine plane unit
    double lon_min, lon_max, lat_min, lat_max;
    double metres_per_plane_y = 0; // when not 0, y's own scale (Hammer)
};

// The geostationary plane is the scan angle in degrees; PROJ's is the angle
// in radians times the satellite's height.
constexpr double geos_metres_per_degree = 35785845.0 * M_PI / 180.0;

// One row per projection.
const BenchProjection projections[] = {
    {"plate carree",
     3,
     0,
     0,
     -99999,
     -99999,
     0,
     0,
     0,
     0,
     1000.0 / 360,
     1000.0 / 180,
     500,
     500,
     "+proj=eqc +R=57.29577951308232",
     1.0,
     -180,
     180,
     -90,
     90},
    {"conformal conic",
     4,
     10,
     45,
     30,
     60,
     6378137,
     6356752.314,
     0,
     0,
     1.0 / 6,
     1.0 / 6,
     500,
     500,
     "+proj=lcc +lat_1=30 +lat_2=60 +lat_0=45 +lon_0=10 +a=6378137 +b=6356752.314",
     1000.0,
     -30,
     50,
     20,
     75},
    {"geostationary",
     5,
     0,
     0,
     -99999,
     -99999,
     6378.155,
     6356.7518,
     0,
     0,
     1000.0 / 17.4,
     1000.0 / 17.4,
     500,
     500,
     "+proj=geos +h=35785845 +a=6378155 +b=6356751.8 +lon_0=0 +sweep=y",
     geos_metres_per_degree,
     -70,
     70,
     -70,
     70},
    {"polar stereographic",
     7,
     -45,
     70,
     -99999,
     -99999,
     6378137,
     6356752.314,
     0,
     0,
     1000.0 / 8e6,
     1000.0 / 8e6,
     500,
     500,
     "+proj=stere +lat_0=90 +lat_ts=70 +lon_0=-45 +a=6378137 +b=6356752.314",
     1.0,
     -180,
     180,
     40,
     90},
    {"transverse Mercator",
     10,
     9,
     0,
     -99999,
     -99999,
     6378137,
     6356752.314,
     500000,
     0,
     1000.0 / 668000,
     1000.0 / 9e6,
     -166000 * (1000.0 / 668000),
     1000,
     "+proj=tmerc +lon_0=9 +k_0=0.9996 +x_0=500000 +a=6378137 +b=6356752.314",
     1.0,
     6,
     12,
     0,
     80},
    // PROJ's Hammer plane carries 2 sqrt(2) on x and sqrt(2) on y.
    {"Hammer-Aitoff",
     2,
     0,
     0,
     -99999,
     -99999,
     1,
     1,
     0,
     0,
     500,
     500,
     500,
     500,
     "+proj=hammer +R=1",
     2 * M_SQRT2,
     -180,
     180,
     -90,
     90,
     M_SQRT2},
    {"Lambert azimuthal",
     6,
     10,
     52,
     -99999,
     -99999,
     6371007,
     6371007,
     0,
     0,
     1000.0 / 1e7,
     1000.0 / 1e7,
     500,
     500,
     "+proj=laea +lat_0=52 +lon_0=10 +R=6371007",
     1.0,
     -30,
     50,
     30,
     75},
    {"Albers",
     8,
     -96,
     23,
     29.5,
     45.5,
     6378137,
     6356752.314,
     0,
     0,
     1000.0 / 6e6,
     1000.0 / 5e6,
     500,
     800,
     "+proj=aea +lat_1=29.5 +lat_2=45.5 +lat_0=23 +lon_0=-96 +a=6378137 +b=6356752.314",
     1.0,
     -130,
     -60,
     20,
     55},
    {"Goode homolosine",
     9,
     0,
     0,
     -99999,
     -99999,
     6371007,
     6371007,
     0,
     0,
     1000.0 / 4e7,
     1000.0 / 1.8e7,
     500,
     500,
     "+proj=igh +R=6371007",
     1.0,
     -180,
     180,
     -90,
     90},
};

IMAGETYPE image_of(const BenchProjection &p)
{
    IMAGETYPE it;
    std::memset(&it, 0, sizeof it);
    it.header.projection = p.code;
    it.header.lon_center = p.lon_center;
    it.header.lat_center = p.lat_center;
    it.header.par1 = p.par1;
    it.header.par2 = p.par2;
    it.header.a = p.a;
    it.header.b = p.b;
    it.header.fe = p.fe;
    it.header.fn = p.fn;
    it.dx = p.dx;
    it.dy = p.dy;
    it.x_center = p.x_center;
    it.y_center = p.y_center;
    it.rows = it.columns = side;
    return it;
}

// The same pseudo-random points for both sides, degrees, pairs.
std::vector<double> sample_degrees(const BenchProjection &p)
{
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> lon(p.lon_min, p.lon_max), lat(p.lat_min, p.lat_max);
    std::vector<double> v(2 * point_count);
    for (long k = 0; k < point_count; ++k) {
        v[2 * k] = lon(gen);
        v[2 * k + 1] = lat(gen);
    }
    return v;
}

PJ *prepared(const BenchProjection &p)
{
    PJ *pj = proj_create(PJ_DEFAULT_CTX, p.peer);
    if (pj == nullptr)
        std::fprintf(stderr, "PROJ refuses %s\n", p.peer);
    return pj;
}

void transform(PJ *pj, PJ_DIRECTION direction, double *pairs, long count)
{
    proj_trans_generic(pj, direction, pairs, 2 * sizeof(double), count, pairs + 1,
                       2 * sizeof(double), count, nullptr, 0, 0, nullptr, 0, 0);
}

void engine_forward(benchmark::State &state, const BenchProjection *p)
{
    IMAGETYPE it = image_of(*p);
    _InitProjection(&it, 1);
    std::vector<double> source = sample_degrees(*p);
    source.push_back(-99999.0);
    std::vector<double> work(source.size());
    for (auto _ : state) {
        std::memcpy(work.data(), source.data(), source.size() * sizeof(double));
        _LonLatToImage(&it, work.data(), 0, 1);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetItemsProcessed(state.iterations() * point_count);
}

void proj_forward(benchmark::State &state, const BenchProjection *p)
{
    PJ *pj = prepared(*p);
    if (pj == nullptr) {
        state.SkipWithError("PROJ refuses the definition");
        return;
    }
    std::vector<double> source = sample_degrees(*p);
    for (double &v : source)
        v *= M_PI / 180.0;
    std::vector<double> work(source.size());
    for (auto _ : state) {
        std::memcpy(work.data(), source.data(), source.size() * sizeof(double));
        transform(pj, PJ_FWD, work.data(), point_count);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetItemsProcessed(state.iterations() * point_count);
    proj_destroy(pj);
}

void engine_inverse(benchmark::State &state, const BenchProjection *p)
{
    IMAGETYPE it = image_of(*p);
    _InitProjection(&it, 0);
    std::vector<double> line(2 * side + 1);
    for (auto _ : state) {
        for (int l = 0; l < side; ++l) {
            _ImageToLonLat(&it, static_cast<uint16_t>(l), line.data(), side, 0);
            benchmark::DoNotOptimize(line.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * point_count);
}

void proj_inverse(benchmark::State &state, const BenchProjection *p)
{
    PJ *pj = prepared(*p);
    if (pj == nullptr) {
        state.SkipWithError("PROJ refuses the definition");
        return;
    }
    // The plane coordinates of every pixel of the image, in metres.
    std::vector<double> source(2 * point_count);
    for (int l = 0; l < side; ++l)
        for (int pixel = 0; pixel < side; ++pixel) {
            const long k = long(l) * side + pixel;
            source[2 * k] = (pixel - p->x_center) / p->dx * p->metres_per_plane;
            source[2 * k + 1] =
                (p->y_center - l) / p->dy *
                (p->metres_per_plane_y != 0 ? p->metres_per_plane_y : p->metres_per_plane);
        }
    std::vector<double> work(source.size());
    for (auto _ : state) {
        std::memcpy(work.data(), source.data(), source.size() * sizeof(double));
        transform(pj, PJ_INV, work.data(), point_count);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetItemsProcessed(state.iterations() * point_count);
    proj_destroy(pj);
}

// Console output as usual, then one table per projection and direction:
// the engine's and PROJ's median points per second over the rounds, the
// engine/PROJ speed ratio of every round (above 1: the engine is faster)
// and their median.  Rounds are repetitions, run interleaved at random with
// every other benchmark, so both sides of a ratio see the same load.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            auto it = run.counters.find("items_per_second");
            if (it != run.counters.end() && !run.error_occurred &&
                run.run_type == Run::RT_Iteration)
                rates_[run.run_name.function_name].push_back(it->second);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        print_load("after the run");
        std::printf("\n%-22s %-8s %14s %14s %7s  %s\n", "projection", "dir", "engine pts/s",
                    "PROJ pts/s", "median", "ratio of each round");
        for (const BenchProjection &p : projections)
            for (const char *dir : {"forward", "inverse"}) {
                const std::vector<double> engine = rates("engine", dir, p.name);
                const std::vector<double> peer = rates("proj", dir, p.name);
                if (engine.empty() || engine.size() != peer.size())
                    continue; // filtered out of this run
                std::vector<double> ratios;
                for (size_t i = 0; i < engine.size(); ++i)
                    ratios.push_back(peer[i] > 0 ? engine[i] / peer[i] : 0.0);
                std::printf("%-22s %-8s %14.0f %14.0f %7.2f ", p.name, dir, median(engine),
                            median(peer), median(ratios));
                for (double r : ratios)
                    std::printf(" %.2f", r);
                std::printf("\n");
            }
    }

    static void print_load(const char *when)
    {
        double load[3];
        if (getloadavg(load, 3) == 3)
            std::printf("load average %s: %.2f %.2f %.2f\n", when, load[0], load[1], load[2]);
    }

private:
    std::vector<double> rates(const char *side_name, const char *dir, const char *name) const
    {
        auto it = rates_.find(std::string(side_name) + "/" + dir + "/" + name);
        return it == rates_.end() ? std::vector<double>() : it->second;
    }
    static double median(std::vector<double> v)
    {
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
    }
    std::map<std::string, std::vector<double>> rates_;
};

} // namespace

int main(int argc, char **argv)
{
    for (const BenchProjection &p : projections) {
        const std::string name = p.name;
        benchmark::RegisterBenchmark(("engine/forward/" + name).c_str(), engine_forward, &p)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("proj/forward/" + name).c_str(), proj_forward, &p)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("engine/inverse/" + name).c_str(), engine_inverse, &p)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("proj/inverse/" + name).c_str(), proj_inverse, &p)
            ->Unit(benchmark::kMillisecond);
    }
    // Five interleaved rounds unless the command line says otherwise.
    std::vector<char *> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=5";
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    bool rounds_given = false;
    for (char *a : args)
        rounds_given = rounds_given || std::strncmp(a, "--benchmark_repetitions", 23) == 0;
    if (!rounds_given) {
        args.push_back(repetitions);
        args.push_back(interleave);
    }
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    RatioReporter::print_load("before the run");
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
