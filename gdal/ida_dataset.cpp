// GDAL driver "IDA": opens IDA images read-only (one Byte band read
// straight from the file, the coding law as scale and offset, the first
// missing code as nodata and every code in a mask when there are more, the
// georeference of the projection code, the colour table of a Brennix colour
// file beside the image) and writes them, a colour table as such a file,
// with CreateCopy, which gdal_translate and gdalwarp use, or with Create,
// which the bindings, gdal_calc.py and QGIS use.
#include "colour_file.h"
#include "ida_format.h"
#include "pixel_kinds.h"
#include "quorvex_tables.h"

#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <rawdataset.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace {

// Header offsets of what the library carries but does not interpret.
constexpr int ida_type_offset = 22;
constexpr int title_offset = 38;
constexpr int title_size = 80;
constexpr int decimals_offset = 183;
constexpr int largest_size = 32767; // rows and columns are 16-bit
constexpr vsi_l_offset colour_file_limit = 65536;

// The tables headers are read with: those of the file the configuration
// option QUORVEX_TABLES names (an environment variable, or --config
// QUORVEX_TABLES FILE), as the quorvex program takes --tables, so that an
// archive's own IDA types open; else the built-in ones.  Read once, when
// the driver first needs them.
const QuorvexTables &tables()
{
    static const QuorvexTables loaded = [] {
        QuorvexTables t;
        load_default_tables(&t);
        const char *path = CPLGetConfigOption("QUORVEX_TABLES", nullptr);
        std::string error;
        if (path != nullptr && *path != '\0' && !load_tables_file(path, &t, &error))
            CPLError(CE_Warning, CPLE_AppDefined,
                     "QUORVEX_TABLES: %s; the built-in tables are used instead", error.c_str());
        return t;
    }();
    return loaded;
}

class IDADataset final : public RawDataset {
public:
    ~IDADataset() override;

    CPLErr GetGeoTransform(double *gt) override;
    const OGRSpatialReference *GetSpatialRef() const override;
    char **GetFileList() override;

    static int Identify(GDALOpenInfo *info);
    static GDALDataset *Open(GDALOpenInfo *info);
    static GDALDataset *CreateCopy(const char *filename, GDALDataset *source, int strict,
                                   char **options, GDALProgressFunc progress, void *progress_data);
    static GDALDataset *Create(const char *filename, int columns, int rows, int bands,
                               GDALDataType type, char **options);
    static CPLErr Delete(const char *filename);

    IMAGETYPE image{};
    std::unique_ptr<GDALColorTable> colours;
    CPLStringList legends; // of the colour file's classes, by byte; empty without any

private:
    VSILFILE *fp_ = nullptr;
    bool georeferenced_ = false;
    double geotransform_[6] = {0, 1, 0, 0, 0, 1};
    OGRSpatialReference crs_;
    std::string colour_file_; // beside the image, or ""

    void describe(const unsigned char *header);
    void load_colour_file(GDALOpenInfo *info);
};

// 255 where the image's band holds a value, 0 where it holds a missing or
// special code.  GDAL's nodata is a single byte; an image whose
// description has further codes (more missing codes, cloud, masking or
// no-data codes) gives this mask instead, which rasterio's masked reads
// and GDAL's mask-aware tools honour.
class IDAMaskBand final : public GDALRasterBand {
public:
    IDAMaskBand(GDALRasterBand *data, const std::array<cli::PixelKind, 256> &kinds) : data_(data)
    {
        // A Byte band numbered 0, as mask bands are: GDALRasterBand's defaults.
        poDS = data->GetDataset();
        nRasterXSize = data->GetXSize();
        nRasterYSize = data->GetYSize();
        nBlockXSize = nRasterXSize; // a line a block, as the band's own
        nBlockYSize = 1;
        std::transform(kinds.begin(), kinds.end(), mask_.begin(),
                       [](cli::PixelKind k) { return k == cli::PixelKind::valid ? 255 : 0; });
    }

    CPLErr IReadBlock(int, int y, void *block) override
    {
        auto *bytes = static_cast<unsigned char *>(block);
        if (data_->RasterIO(GF_Read, 0, y, nRasterXSize, 1, bytes, nRasterXSize, 1, GDT_Byte, 0, 0,
                            nullptr) != CE_None)
            return CE_Failure;
        std::transform(bytes, bytes + nRasterXSize, bytes,
                       [this](unsigned char byte) { return mask_[byte]; });
        return CE_None;
    }

    bool valid(int byte) const { return mask_[std::size_t(byte)] != 0; }

private:
    GDALRasterBand *data_;
    std::array<unsigned char, 256> mask_;
};

class IDARasterBand final : public RawRasterBand {
public:
    IDARasterBand(IDADataset *ds, VSILFILE *fp, int columns)
        : RawRasterBand(ds, 1, fp, QUORVEX_HEADER_SIZE, 1, columns, GDT_Byte,
                        ByteOrder::ORDER_LITTLE_ENDIAN, OwnFP::NO),
          image_(ds->image), colours_(ds->colours.get()), legends_(ds->legends)
    {
        // A mask only where the nodata value, itself a code, does not say
        // it all.
        const std::array<cli::PixelKind, 256> kinds = cli::pixel_kinds(image_);
        int has_nodata = FALSE;
        GetNoDataValue(&has_nodata);
        if (std::count_if(kinds.begin(), kinds.end(), [](cli::PixelKind k) {
                return k != cli::PixelKind::valid;
            }) > (has_nodata ? 1 : 0))
            mask_ = std::make_unique<IDAMaskBand>(this, kinds);
    }

    int GetMaskFlags() override
    {
        // One band: its mask is the dataset's.
        return mask_ ? GMF_PER_DATASET : RawRasterBand::GetMaskFlags();
    }
    GDALRasterBand *GetMaskBand() override
    {
        return mask_ ? mask_.get() : RawRasterBand::GetMaskBand();
    }

    // GDAL's own statistics leave out the nodata value alone; with a mask
    // they leave out every code the mask does, so that a cloud code does
    // not stretch QGIS's display or gdalinfo -stats.  Approximate ones (as
    // QGIS asks for a large image) read the lines GDAL's own would sample.
    CPLErr ComputeStatistics(int approx, double *min, double *max, double *mean, double *stddev,
                             GDALProgressFunc progress, void *progress_data) override
    {
        if (!mask_)
            return RawRasterBand::ComputeStatistics(approx, min, max, mean, stddev, progress,
                                                    progress_data);
        const int every = line_step(approx);
        std::array<uint64_t, 256> histogram{};
        if (!valid_histogram(progress, progress_data, every, &histogram))
            return CE_Failure;
        if (!any_valid(histogram, "statistics")) {
            SetMetadataItem("STATISTICS_VALID_PERCENT", "0"); // as GDAL records it
            return CE_Failure;
        }
        SetMetadataItem("STATISTICS_APPROXIMATE", every > 1 ? "YES" : nullptr);
        uint64_t valid = 0;
        double sum = 0, squares = 0;
        for (int byte = 0; byte < 256; ++byte) {
            valid += histogram[std::size_t(byte)];
            sum += double(histogram[std::size_t(byte)]) * byte;
        }
        const double m = sum / double(valid);
        for (int byte = 0; byte < 256; ++byte)
            squares += double(histogram[std::size_t(byte)]) * (byte - m) * (byte - m);
        const auto [lowest, highest] = extremes(histogram);
        const double sd = std::sqrt(squares / double(valid));
        SetStatistics(lowest, highest, m, sd);
        // As GDAL writes it: four digits, but never 100 short of every pixel
        // read.
        const double pixels = double(nRasterXSize) * ((nRasterYSize + every - 1) / every);
        const std::string percent = CPLSPrintf("%.4g", 100.0 * double(valid) / pixels);
        SetMetadataItem("STATISTICS_VALID_PERCENT",
                        percent == "100" && double(valid) < pixels ? "99.999" : percent.c_str());
        for (auto [out, v] : {std::pair{min, lowest}, {max, highest}, {mean, m}, {stddev, sd}})
            if (out)
                *out = v;
        return CE_None;
    }
    CPLErr ComputeRasterMinMax(int approx, double *min_max) override
    {
        if (!mask_)
            return RawRasterBand::ComputeRasterMinMax(approx, min_max);
        std::array<uint64_t, 256> histogram{};
        if (!valid_histogram(nullptr, nullptr, line_step(approx), &histogram) ||
            !any_valid(histogram, "min/max"))
            return CE_Failure;
        std::tie(min_max[0], min_max[1]) = extremes(histogram);
        return CE_None;
    }

    // The same for histograms, which QGIS's default stretch cuts at 2% and
    // 98%: a cloud code covering a third of an image would be its top.
    // Each kept byte goes to the bucket GDAL's own histogram puts it in.
    CPLErr GetHistogram(double min, double max, int buckets, GUIntBig *counts, int out_of_range,
                        int approx, GDALProgressFunc progress, void *progress_data) override
    {
        if (!mask_)
            return RawRasterBand::GetHistogram(min, max, buckets, counts, out_of_range, approx,
                                               progress, progress_data);
        const double scale = buckets / (max - min);
        if (!(max > min) || buckets <= 0 || !std::isfinite(scale)) {
            ReportError(CE_Failure, CPLE_IllegalArg,
                        max > min ? "a histogram needs buckets over a finite range"
                                  : "dfMax should be strictly greater than dfMin");
            return CE_Failure;
        }
        if (recalled(min, max, buckets, out_of_range, approx, counts))
            return CE_None;
        std::array<uint64_t, 256> histogram{};
        if (!valid_histogram(progress, progress_data, line_step(approx), &histogram))
            return CE_Failure;
        std::fill(counts, counts + buckets, GUIntBig(0));
        for (int byte = 0; byte < 256; ++byte) {
            const double at = std::floor((byte - min) * scale);
            if (!out_of_range && (at < 0 || at >= buckets))
                continue;
            counts[at < 0          ? 0
                   : at >= buckets ? buckets - 1
                                   : int(at)] += histogram[std::size_t(byte)];
        }
        remember(min, max, buckets, counts, out_of_range, approx);
        return CE_None;
    }

    double GetScale(int *success) override
    {
        if (success)
            *success = TRUE;
        return image_.slope;
    }

    double GetOffset(int *success) override
    {
        if (success)
            *success = TRUE;
        return image_.intercept;
    }

    double GetNoDataValue(int *success) override
    {
        const int32_t missing = image_.missingcodes[0];
        const bool usable = missing >= 0 && missing <= 255;
        if (success)
            *success = usable;
        return usable ? missing : 0.0;
    }

    GDALColorTable *GetColorTable() override { return colours_; }
    char **GetCategoryNames() override { return legends_.empty() ? nullptr : legends_.List(); }

    GDALColorInterp GetColorInterpretation() override
    {
        return colours_ ? GCI_PaletteIndex : GCI_GrayIndex;
    }

private:
    // A histogram asked for before, as GDAL's bands keep them (in the
    // image's .aux.xml), into counts; an exact one serves an approximate
    // request.  False where none was kept.
    bool recalled(double min, double max, int buckets, int out_of_range, int approx,
                  GUIntBig *counts)
    {
        PamInitialize();
        if (psPam == nullptr)
            return false;
        CPLXMLNode *item = PamFindMatchingHistogram(psPam->psSavedHistograms, min, max, buckets,
                                                    out_of_range, approx);
        GUIntBig *saved = nullptr;
        if (item == nullptr ||
            !PamParseHistogram(item, &min, &max, &buckets, &saved, &out_of_range, &approx))
            return false;
        std::copy_n(saved, buckets, counts);
        CPLFree(saved);
        return true;
    }
    void remember(double min, double max, int buckets, GUIntBig *counts, int out_of_range,
                  int approx)
    {
        CPLXMLNode *item =
            psPam ? PamHistogramToXMLTree(min, max, buckets, counts, out_of_range, approx)
                  : nullptr;
        if (item == nullptr)
            return;
        if (psPam->psSavedHistograms == nullptr)
            psPam->psSavedHistograms = CPLCreateXMLNode(nullptr, CXT_Element, "Histograms");
        CPLAddXMLChild(psPam->psSavedHistograms, item);
        MarkPamDirty();
    }

    // Every line, or for an approximate answer every n-th from the first,
    // as GDAL's own bands of a line a block sample them (n the square root
    // of the line count).  Overviews are not taken: they carry no mask.
    int line_step(int approx) const
    {
        return approx ? std::max(1, int(std::sqrt(double(nRasterYSize)))) : 1;
    }

    // The histogram of the bytes the mask keeps, of every line from the
    // first; false with a GDAL error when the band cannot be read or the
    // reading is interrupted.
    bool valid_histogram(GDALProgressFunc progress, void *progress_data, int every,
                         std::array<uint64_t, 256> *histogram)
    {
        std::vector<unsigned char> line(static_cast<std::size_t>(nRasterXSize));
        for (int y = 0; y < nRasterYSize; y += every) {
            if (RasterIO(GF_Read, 0, y, nRasterXSize, 1, line.data(), nRasterXSize, 1, GDT_Byte, 0,
                         0, nullptr) != CE_None)
                return false;
            for (unsigned char byte : line)
                ++(*histogram)[byte];
            const double done = double(std::min(y + every, nRasterYSize)) / nRasterYSize;
            if (progress && !progress(done, nullptr, progress_data)) {
                ReportError(CE_Failure, CPLE_UserInterrupt, "User terminated");
                return false;
            }
        }
        for (int byte = 0; byte < 256; ++byte)
            if (!mask_->valid(byte))
                (*histogram)[std::size_t(byte)] = 0;
        return true;
    }

    // Whether a histogram counts a byte; if not, GDAL's error for what
    // cannot be computed without one.
    bool any_valid(const std::array<uint64_t, 256> &histogram, const char *what)
    {
        if (std::any_of(histogram.begin(), histogram.end(), [](uint64_t n) { return n != 0; }))
            return true;
        ReportError(CE_Failure, CPLE_AppDefined,
                    "Failed to compute %s, no valid pixels found in sampling.", what);
        return false;
    }

    // The smallest and largest byte a histogram counts (one at least).
    static std::pair<double, double> extremes(const std::array<uint64_t, 256> &histogram)
    {
        const auto counted = [](uint64_t n) { return n != 0; };
        return {
            double(std::find_if(histogram.begin(), histogram.end(), counted) - histogram.begin()),
            double(histogram.rend() - 1 -
                   std::find_if(histogram.rbegin(), histogram.rend(), counted))};
    }

    const IMAGETYPE &image_;
    GDALColorTable *colours_;
    CPLStringList &legends_;
    std::unique_ptr<IDAMaskBand> mask_;
};

IDADataset::~IDADataset()
{
    FlushCache(true);
    if (fp_)
        VSIFCloseL(fp_);
}

CPLErr IDADataset::GetGeoTransform(double *gt)
{
    std::memcpy(gt, geotransform_, sizeof geotransform_);
    return georeferenced_ ? CE_None : CE_Failure;
}

const OGRSpatialReference *IDADataset::GetSpatialRef() const
{
    return georeferenced_ ? &crs_ : nullptr;
}

// The colour file belongs to the image: a copy of the image's files takes
// it along, and an image written over this one (GDAL deletes the old one
// first) does not inherit its colours.
char **IDADataset::GetFileList()
{
    char **files = RawDataset::GetFileList();
    if (!colour_file_.empty())
        files = CSLAddString(files, colour_file_.c_str());
    return files;
}

uint64_t file_size(VSILFILE *fp)
{
    if (VSIFSeekL(fp, 0, SEEK_END) != 0)
        return 0;
    const uint64_t size = VSIFTellL(fp);
    VSIFSeekL(fp, 0, SEEK_SET);
    return size;
}

// GDAL asks every driver about every file: the whole header is checked
// before the file's own size is asked for (a seek, a request for remote
// files).
int IDADataset::Identify(GDALOpenInfo *info)
{
    if (info->fpL == nullptr || info->nHeaderBytes < QUORVEX_HEADER_SIZE)
        return FALSE;
    const uint64_t size = ida::described_size(info->pabyHeader);
    // An image of an IDA type the tables lack is tested as if its coding
    // stood in its header, and claimed, so that Open can say what it needs.
    unsigned char header[QUORVEX_HEADER_SIZE];
    std::memcpy(header, info->pabyHeader, sizeof header);
    if (tables().find_type(header[ida_type_offset]) == nullptr)
        header[ida_type_offset] = QUORVEX_IDA_TYPE_IN_HEADER;
    return ida::header_is_consistent(header, size, tables()) && file_size(info->fpL) == size;
}

GDALDataset *IDADataset::Open(GDALOpenInfo *info)
{
    if (!Identify(info))
        return nullptr;
    if (info->eAccess == GA_Update) {
        CPLError(CE_Failure, CPLE_NotSupported,
                 "%s: the IDA driver opens files read-only; write a new "
                 "file with gdal_translate -of IDA",
                 info->pszFilename);
        return nullptr;
    }
    const int type = info->pabyHeader[ida_type_offset];
    if (tables().find_type(type) == nullptr) {
        CPLError(CE_Failure, CPLE_OpenFailed,
                 "%s: IDA type %d is not in the tables; name a tables file that has it with "
                 "the configuration option QUORVEX_TABLES",
                 info->pszFilename, type);
        return nullptr;
    }
    auto ds = std::make_unique<IDADataset>();
    const QuorvexTables &t = tables();
    if (_IDAHeaderToIT(info->pabyHeader, &ds->image, t.projections, t.spheroids, t.types.data(),
                       t.type_count(), 0) != QUORVEX_SUCCESS)
        return nullptr;
    ds->nRasterXSize = ds->image.columns;
    ds->nRasterYSize = ds->image.rows;
    ds->fp_ = info->fpL;
    info->fpL = nullptr;
    ds->describe(info->pabyHeader);
    ds->load_colour_file(info);
    ds->SetBand(1, new IDARasterBand(ds.get(), ds->fp_, ds->image.columns));
    ds->SetDescription(info->pszFilename);
    ds->TryLoadXML(info->GetSiblingFiles());
    ds->oOvManager.Initialize(ds.get(), info->pszFilename);
    return ds.release();
}

// The georeference, and the header's title, type, coded range and decimals
// as metadata.
void IDADataset::describe(const unsigned char *header)
{
    ida::Georeference georeference;
    if (ida::georeference_of(image, &georeference)) {
        crs_.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        georeferenced_ = crs_.SetFromUserInput(georeference.crs.c_str()) == OGRERR_NONE;
        std::memcpy(geotransform_, georeference.geotransform, sizeof geotransform_);
    }
    std::string title(reinterpret_cast<const char *>(header + title_offset), title_size);
    title.erase(title.find_last_not_of(std::string(" \0", 2)) + 1);
    if (!CPLIsUTF8(title.c_str(), -1)) {
        char *recoded = CPLRecode(title.c_str(), CPL_ENC_ISO8859_1, CPL_ENC_UTF8);
        title = recoded;
        CPLFree(recoded);
    }
    int lowest = image.mincodedvalue, highest = image.maxcodedvalue;
    if (const IDATYPE *row = image.ida_type == QUORVEX_IDA_TYPE_IN_HEADER
                                 ? nullptr
                                 : tables().find_type(image.ida_type)) {
        lowest = row->mincodedvalue;
        highest = row->maxcodedvalue;
    }
    GDALDataset::SetMetadataItem("TITLE", title.c_str());
    GDALDataset::SetMetadataItem("IDA_TYPE", CPLSPrintf("%d", image.ida_type));
    GDALDataset::SetMetadataItem("CODED_MIN", CPLSPrintf("%d", lowest));
    GDALDataset::SetMetadataItem("CODED_MAX", CPLSPrintf("%d", highest));
    GDALDataset::SetMetadataItem("DECIMALS", CPLSPrintf("%d", header[decimals_offset]));
}

// The colour file of an image among the names of its folder: the image's
// name with the extension .CLR, in any case; "" when none is.
std::string colour_file_among(const std::string &image, char **names)
{
    const std::string folder = CPLGetPath(image.c_str());
    const std::string wanted = std::string(CPLGetBasename(image.c_str())) + ".clr";
    for (int i = 0; names != nullptr && names[i] != nullptr; ++i)
        if (EQUAL(names[i], wanted.c_str()))
            return CPLFormFilename(folder.c_str(), names[i], nullptr);
    return "";
}

// A Brennix colour file beside the image: the image's name with the
// extension .CLR, in any case.
void IDADataset::load_colour_file(GDALOpenInfo *info)
{
    // GDAL's list of the folder when it made one, else the two usual cases.
    std::string path;
    if (char **siblings = info->GetSiblingFiles()) {
        path = colour_file_among(info->pszFilename, siblings);
    } else {
        for (const char *ext : {"CLR", "clr"}) {
            VSIStatBufL stat;
            const char *candidate = CPLResetExtension(info->pszFilename, ext);
            if (path.empty() && VSIStatL(candidate, &stat) == 0)
                path = candidate;
        }
    }
    VSILFILE *fp = path.empty() ? nullptr : VSIFOpenL(path.c_str(), "rb");
    if (fp == nullptr)
        return;
    colour_file_ = path;
    std::vector<char> text(colour_file_limit);
    text.resize(VSIFReadL(text.data(), 1, text.size(), fp));
    VSIFCloseL(fp);
    std::vector<cli::ColourClass> classes;
    std::string error;
    if (!cli::read_colour_text(text.data(), text.size(), path, &classes, &error)) {
        CPLError(CE_Warning, CPLE_AppDefined, "colour table not read: %s", error.c_str());
        return;
    }
    // A byte takes the first class that holds it, as the quorvex program
    // draws it, and its legend as its category name; bytes of no class stay
    // transparent, without a name.
    colours = std::make_unique<GDALColorTable>();
    bool named = false;
    for (int k = 0; k < 256; ++k) {
        GDALColorEntry entry = {0, 0, 0, 0};
        std::string legend;
        for (const cli::ColourClass &c : classes)
            if (k >= c.from && k <= c.to) {
                entry = {c.red, c.green, c.blue, 255};
                legend = c.legend;
                break;
            }
        colours->SetColorEntry(k, &entry);
        legends.AddString(legend.c_str());
        named = named || !legend.empty();
    }
    if (!named)
        legends.Clear();
}

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

bool fail(const char *filename, const std::string &reason)
{
    CPLError(CE_Failure, CPLE_NotSupported, "%s: %s", filename, reason.c_str());
    return false;
}

// A 6-byte real holds magnitudes from 1e-10 (smaller ones become 0) up to
// 1.7e38.
bool storable(double v)
{
    return std::isfinite(v) && (v == 0.0 || (std::fabs(v) >= 1e-10 && std::fabs(v) <= 1.7e38));
}

// Whether v is a byte, as a missing code must be.
bool byte_code(double v)
{
    return v >= 0 && v <= 255 && v == std::floor(v);
}

// A byte value from an option or a metadata item, or fallback.
int byte_value(const char *text, int fallback)
{
    if (text == nullptr)
        return fallback;
    char *end = nullptr;
    const long v = std::strtol(text, &end, 10);
    return (*text && *end == '\0' && v >= 0 && v <= 255) ? int(v) : fallback;
}

// The projection, centre, parallels and grid of *image (whose columns and
// rows are set) for a coordinate system and geotransform, or false with the
// reason named in a GDAL error.
bool describe_place(const char *filename, const OGRSpatialReference &srs, const double gt[6],
                    IMAGETYPE *image)
{
    ida::CrsFacts facts;
    facts.geographic = srs.IsGeographic();
    // The PROJ form drops reversed axes; IDA planes run east and north.
    // (Polar systems name their axes by meridians, so the names tell.)
    for (int axis = 0; axis < 2; ++axis) {
        const char *name = srs.GetAxis(facts.geographic ? "GEOGCS" : "PROJCS", axis, nullptr);
        if (name && (STARTS_WITH_CI(name, "West") || STARTS_WITH_CI(name, "South")))
            return fail(filename, CPLSPrintf("the axis %s (west or south) cannot be stored", name));
    }
    OGRErr err = OGRERR_NONE;
    facts.semi_major = srs.GetSemiMajor(&err);
    facts.semi_minor = srs.GetSemiMinor(&err);
    facts.unit = facts.geographic ? srs.GetAngularUnits() : srs.GetLinearUnits();
    char *proj = nullptr;
    if (srs.IsCompound() || srs.exportToProj4(&proj) != OGRERR_NONE) {
        CPLFree(proj);
        return fail(filename, "the coordinate system has no PROJ form an IDA header could hold");
    }
    facts.proj = proj;
    CPLFree(proj);
    std::string why;
    if (!ida::place_in_image(facts, gt, tables(), image, &why))
        return fail(filename, why);
    return true;
}

// The description of the image CreateCopy writes, or false with the reason
// named in a GDAL error.
bool describe_copy(const char *filename, GDALDataset *source, IMAGETYPE *image)
{
    const int columns = source->GetRasterXSize(), rows = source->GetRasterYSize();
    if (source->GetRasterCount() != 1)
        return fail(filename, CPLSPrintf("IDA files hold one band; the source has %d",
                                         source->GetRasterCount()));
    GDALRasterBand *band = source->GetRasterBand(1);
    if (band->GetRasterDataType() != GDT_Byte)
        return fail(filename, CPLSPrintf("IDA files hold bytes; the band is %s "
                                         "(convert it with -ot Byte and -scale)",
                                         GDALGetDataTypeName(band->GetRasterDataType())));
    if (columns > largest_size || rows > largest_size)
        return fail(filename, CPLSPrintf("a %d x %d image is larger than the "
                                         "32767 x 32767 an IDA header holds",
                                         columns, rows));
    int has_nodata = FALSE;
    const double nodata = band->GetNoDataValue(&has_nodata);
    if (has_nodata && !byte_code(nodata))
        return fail(filename, CPLSPrintf("nodata %.17g is not a byte value", nodata));
    const double slope = band->GetScale(), intercept = band->GetOffset();
    if (!storable(slope) || !storable(intercept))
        return fail(filename, CPLSPrintf("scale %.15g or offset %.15g does not fit "
                                         "the header's 6-byte reals",
                                         slope, intercept));
    int missing = 255;
    if (has_nodata)
        missing = int(nodata);
    else
        CPLError(CE_Warning, CPLE_AppDefined,
                 "%s: the source has no nodata value; 255 is recorded as the "
                 "missing code",
                 filename);

    // The source's IDA type (an IDA image's, or a copy's that kept its
    // metadata) is kept while the band is coded as that type codes it: its
    // law and its first missing code.  Otherwise the coding goes into the
    // header, under type 200.
    const IDATYPE *row = tables().find_type(
        byte_value(source->GetMetadataItem("IDA_TYPE"), QUORVEX_IDA_TYPE_IN_HEADER));
    if (row != nullptr &&
        !(row->slope == slope && row->intercept == intercept && row->missingcodes[0] == missing))
        row = nullptr;

    std::memset(image, 0, sizeof *image);
    image->ida_type = row != nullptr ? row->code : QUORVEX_IDA_TYPE_IN_HEADER;
    image->rows = rows;
    image->columns = columns;
    image->slope = ida::nearest_stored(slope);
    image->intercept = ida::nearest_stored(intercept);
    image->missingcodes[0] = missing; // the header holds no other code
    // Coded range: the type's, or the source's own when it says one, else
    // every byte below the missing code (above it when that is 0).
    image->mincodedvalue = row != nullptr
                               ? row->mincodedvalue
                               : byte_value(source->GetMetadataItem("CODED_MIN"), missing == 0);
    image->maxcodedvalue = row != nullptr ? row->maxcodedvalue
                                          : byte_value(source->GetMetadataItem("CODED_MAX"),
                                                       missing == 0 ? 255 : missing - 1);
    if (image->mincodedvalue > image->maxcodedvalue)
        return fail(filename, "the coded range CODED_MIN..CODED_MAX is empty");

    double gt[6];
    const bool has_grid = source->GetGeoTransform(gt) == CE_None;
    const OGRSpatialReference *srs = source->GetSpatialRef();
    if (srs == nullptr || srs->IsEmpty()) {
        if (has_grid)
            CPLError(CE_Warning, CPLE_AppDefined,
                     "%s: a geotransform without a coordinate system is not "
                     "stored; the image is written without geolocation",
                     filename);
        return true;
    }
    if (!has_grid)
        return fail(filename, "a coordinate system without a geotransform cannot be stored");
    return describe_place(filename, *srs, gt, image);
}

// Whether the DECIMALS creation option, if given, is a byte: the header
// has a byte for it, and another value is not silently made 0.
bool decimals_option(const char *filename, char **options)
{
    const char *decimals = CSLFetchNameValue(options, "DECIMALS");
    return decimals == nullptr || byte_value(decimals, -1) >= 0 ||
           fail(filename, CPLSPrintf("DECIMALS=%s is not a whole number from 0 to 255", decimals));
}

// Title and decimals: the creation options, else the source's metadata.
void write_free_fields(GDALDataset *source, char **options, unsigned char *header)
{
    const char *title = CSLFetchNameValueDef(options, "TITLE", source->GetMetadataItem("TITLE"));
    std::string text = title ? title : "";
    if (text.size() > title_size) {
        // Cut before the character the first dropped byte belongs to.
        size_t cut = title_size;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text.resize(cut);
    }
    text.resize(title_size, ' ');
    std::memcpy(header + title_offset, text.data(), title_size);
    header[decimals_offset] = static_cast<unsigned char>(byte_value(
        CSLFetchNameValueDef(options, "DECIMALS", source->GetMetadataItem("DECIMALS")), 0));
}

// The file a local name leads to when the name is a link to a file (the
// name unchanged otherwise: GDAL's virtual file systems have no links).
std::string followed_link(const char *filename)
{
    struct stat link;
    if (STARTS_WITH_CI(filename, "/vsi") || lstat(filename, &link) != 0 || !S_ISLNK(link.st_mode))
        return filename;
    const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(filename, nullptr),
                                                               &std::free);
    return resolved ? std::string(resolved.get()) : std::string(filename);
}

// Header and pixels into the open file, a band of lines at a time.
bool write_image(const char *filename, VSILFILE *fp, const unsigned char *header,
                 GDALRasterBand *band, int columns, int rows, GDALProgressFunc progress,
                 void *progress_data)
{
    if (VSIFWriteL(header, 1, QUORVEX_HEADER_SIZE, fp) != size_t(QUORVEX_HEADER_SIZE))
        return fail(filename, "cannot write the header");
    const int chunk = std::max(1, std::min(rows, (1 << 20) / columns));
    std::vector<unsigned char> lines(size_t(chunk) * columns);
    for (int y = 0; y < rows; y += chunk) {
        const int n = std::min(chunk, rows - y);
        const size_t bytes = size_t(n) * columns;
        if (band->RasterIO(GF_Read, 0, y, columns, n, lines.data(), columns, n, GDT_Byte, 0, 0,
                           nullptr) != CE_None)
            return false;
        if (VSIFWriteL(lines.data(), 1, bytes, fp) != bytes)
            return fail(filename, "cannot write the pixels");
        if (!progress(double(y + n) / rows, nullptr, progress_data)) {
            CPLError(CE_Failure, CPLE_UserInterrupt, "interrupted by the user");
            return false;
        }
    }
    return true;
}

// Whether filename may take an IDA image: the finished image is renamed
// into place, which over a device, a pipe or a folder would put a plain
// file where the other was, and a stream (/vsistdout/) would take the whole
// image before the rename failed.  An archive can neither rename nor delete
// what it was given: the image would stay under its temporary name.
bool writable_name(const char *filename)
{
    VSIStatBufL existing;
    if ((VSIStatL(filename, &existing) == 0 && !VSI_ISREG(existing.st_mode)) ||
        STARTS_WITH_CI(filename, "/vsistdout"))
        return fail(filename, "not a regular file; IDA images are written to files only");
    for (const char *archive : {"/vsizip/", "/vsigzip/", "/vsitar/", "/vsi7z/", "/vsirar/"})
        if (STARTS_WITH_CI(filename, archive))
            return fail(filename, "an archive cannot take an IDA image whole; write the "
                                  "file, then add it to the archive");
    return true;
}

// The name an image is written under before it is renamed to target.
std::string partial_name(const std::string &target)
{
    return target + CPLSPrintf(".%lld.partial", static_cast<long long>(CPLGetPID()));
}

// A colour table as a Brennix colour file: a class for each run of bytes
// of one colour.  Entries of alpha 0 get none (bytes of no class are drawn
// transparent); any other alpha is drawn opaque, as the classes are.
std::string colour_file_text(const GDALColorTable &colours, char **names)
{
    // A byte's category name as a legend, on one line (the reader drops
    // the blanks at its ends).
    std::vector<std::string> legends(256);
    for (int k = 0; k < 256 && names != nullptr && names[k] != nullptr; ++k) {
        std::string &legend = legends[std::size_t(k)] = names[k];
        std::replace_if(
            legend.begin(), legend.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    }
    std::string text = "From    To   Red     Green   Blue    Legend\r\n";
    const int count = std::min(256, colours.GetColorEntryCount());
    const auto same = [&](int a, int b) {
        const GDALColorEntry *x = colours.GetColorEntry(a), *y = colours.GetColorEntry(b);
        return x->c1 == y->c1 && x->c2 == y->c2 && x->c3 == y->c3 && (x->c4 == 0) == (y->c4 == 0) &&
               legends[std::size_t(a)] == legends[std::size_t(b)];
    };
    for (int from = 0, to = 0; from < count; from = to + 1) {
        for (to = from; to + 1 < count && same(to + 1, from);)
            ++to;
        const GDALColorEntry *c = colours.GetColorEntry(from);
        if (c->c4 != 0)
            text += CPLSPrintf("%3d%7d%6d%8d%8d%s%s\r\n", from, to, c->c1, c->c2, c->c3,
                               legends[std::size_t(from)].empty() ? "" : "     ",
                               legends[std::size_t(from)].c_str());
    }
    return text;
}

// The colour file beside an image, of any case, or "".
std::string colour_file_beside(const std::string &image)
{
    const std::string folder = CPLGetPath(image.c_str());
    char **names = VSIReadDir(folder.empty() ? "." : folder.c_str());
    const std::string path = colour_file_among(image, names);
    CSLDestroy(names);
    return path;
}

// text into a new file under partial; false when it cannot be written.
bool write_text(const std::string &partial, const std::string &text)
{
    VSILFILE *fp = VSIFOpenL(partial.c_str(), "wb");
    if (fp == nullptr)
        return false;
    const bool written = VSIFWriteL(text.data(), 1, text.size(), fp) == text.size();
    return VSIFCloseL(fp) == 0 && written;
}

// The IDA image of source, written whole into filename or not at all; its
// colour table, if it has one, beside it as a colour file.
bool write_file(const char *filename, GDALDataset *source, char **options,
                GDALProgressFunc progress, void *progress_data)
{
    IMAGETYPE image;
    if (!writable_name(filename) || !describe_copy(filename, source, &image))
        return false;
    unsigned char header[QUORVEX_HEADER_SIZE];
    if (!_IT2IDAHeader(&image, header, tables().projections))
        return fail(filename, "the header's reference point cannot be converted");
    write_free_fields(source, options, header);
    const int columns = image.columns, rows = image.rows;
    if (!ida::header_is_consistent(header, QUORVEX_HEADER_SIZE + uint64_t(columns) * rows,
                                   tables()))
        return fail(filename, "the header would not describe the image consistently "
                              "(centre or parallels beyond the earth's angles)");

    // The whole file goes to a name of its own first, so that a failure
    // leaves neither a half image nor a damaged older file behind.  (GDAL's
    // CreateCopy deletes an older image of the name before calling here
    // unless given QUIET_DELETE_ON_CREATE_COPY=NO; gdal_translate deletes
    // it in any case.)  A link to such a file is followed, so that the
    // rename replaces the file and the link stays.
    const std::string target = followed_link(filename);
    const std::string partial = partial_name(target);
    VSILFILE *fp = VSIFOpenL(partial.c_str(), "wb");
    if (fp == nullptr)
        return fail(filename, "cannot create " + partial);
    bool written = write_image(filename, fp, header, source->GetRasterBand(1), columns, rows,
                               progress ? progress : GDALDummyProgress, progress_data);
    written = VSIFCloseL(fp) == 0 && written;
    const GDALColorTable *colours = source->GetRasterBand(1)->GetColorTable();
    std::string colour_file, colour_partial;
    if (written && colours != nullptr && colours->GetColorEntryCount() > 0 &&
        colours->GetPaletteInterpretation() == GPI_RGB) {
        colour_file = colour_file_beside(target);
        if (colour_file.empty())
            colour_file = CPLResetExtension(target.c_str(), "CLR");
        colour_partial = partial_name(colour_file);
        if (!write_text(colour_partial,
                        colour_file_text(*colours, source->GetRasterBand(1)->GetCategoryNames()))) {
            fail(filename, "cannot write the colour file " + colour_partial);
            VSIUnlink(colour_partial.c_str());
            written = false;
        }
    }
    if (!written || VSIRename(partial.c_str(), target.c_str()) != 0) {
        if (written)
            fail(filename, "cannot replace the file with " + partial);
        VSIUnlink(partial.c_str());
        if (!colour_partial.empty())
            VSIUnlink(colour_partial.c_str());
        return false;
    }
    if (!colour_partial.empty() && VSIRename(colour_partial.c_str(), colour_file.c_str()) != 0) {
        VSIUnlink(colour_partial.c_str());
        return fail(filename,
                    "the image is written, but its colour file cannot replace " + colour_file);
    }
    return true;
}

// The files of an image that opens; else (an IDA type the tables lack, say)
// the image and its colour file, so that GDAL replaces such an image, which
// it deletes first, without an error about reading it.
CPLErr IDADataset::Delete(const char *filename)
{
    std::vector<std::string> files;
    CPLPushErrorHandler(CPLQuietErrorHandler);
    GDALOpenInfo info(filename, GA_ReadOnly);
    std::unique_ptr<GDALDataset> image(Open(&info));
    CPLPopErrorHandler();
    CPLErrorReset();
    if (image != nullptr) {
        char **names = image->GetFileList();
        for (int i = 0; names != nullptr && names[i] != nullptr; ++i)
            files.push_back(names[i]);
        CSLDestroy(names);
        image.reset();
    } else {
        files = {filename, colour_file_beside(filename)};
    }
    for (const std::string &file : files)
        if (!file.empty() && VSIUnlink(file.c_str()) != 0) {
            fail(filename, "cannot delete " + file);
            return CE_Failure;
        }
    return CE_None;
}

GDALDataset *IDADataset::CreateCopy(const char *filename, GDALDataset *source, int /*strict*/,
                                    char **options, GDALProgressFunc progress, void *progress_data)
{
    if (!decimals_option(filename, options) ||
        !write_file(filename, source, options, progress, progress_data))
        return nullptr;
    GDALOpenInfo info(filename, GA_ReadOnly);
    return Open(&info);
}

// A new image made through Create, as GDAL's tools and bindings make one
// and as QGIS and gdal_calc.py save one: the pixels are kept in memory, and
// the file is written when the dataset closes, with the header CreateCopy
// would give a copy of it, whole or not at all.
class IDANewDataset final : public GDALDataset {
public:
    IDANewDataset(const char *filename, int columns, int rows, char **options)
        : pixels(std::size_t(columns) * std::size_t(rows)), filename_(filename),
          options_(CSLDuplicate(options))
    {
        nRasterXSize = columns;
        nRasterYSize = rows;
        eAccess = GA_Update;
        crs_.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    }
    ~IDANewDataset() override;

    CPLErr GetGeoTransform(double *gt) override
    {
        std::memcpy(gt, geotransform_, sizeof geotransform_);
        return has_geotransform_ ? CE_None : CE_Failure;
    }
    CPLErr SetGeoTransform(double *gt) override
    {
        std::memcpy(geotransform_, gt, sizeof geotransform_);
        has_geotransform_ = true;
        return placeable();
    }
    const OGRSpatialReference *GetSpatialRef() const override
    {
        return crs_.IsEmpty() ? nullptr : &crs_;
    }
    CPLErr SetSpatialRef(const OGRSpatialReference *srs) override
    {
        if (srs)
            crs_ = *srs;
        else
            crs_.Clear();
        crs_.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        return placeable();
    }

    std::vector<unsigned char> pixels;

private:
    friend class IDADataset; // gives it its band

    // A coordinate system and grid that no header holds are refused as soon
    // as both are set, not only at close, after every pixel has been made
    // (and where the Python bindings cannot raise).  They are kept all the
    // same, so that the close refuses the image rather than write it
    // without its georeference.
    CPLErr placeable() const
    {
        if (!has_geotransform_ || crs_.IsEmpty())
            return CE_None;
        IMAGETYPE image{};
        image.columns = nRasterXSize;
        image.rows = nRasterYSize;
        return describe_place(filename_.c_str(), crs_, geotransform_, &image) ? CE_None
                                                                              : CE_Failure;
    }

    std::string filename_;
    CPLStringList options_;
    bool has_geotransform_ = false;
    double geotransform_[6] = {0, 1, 0, 0, 0, 1};
    OGRSpatialReference crs_;
};

// A band of lines of the new image, with the coding and the missing code
// it will be written with.
class IDANewBand final : public GDALRasterBand {
public:
    explicit IDANewBand(IDANewDataset *ds) : pixels_(ds->pixels)
    {
        poDS = ds;
        nBand = 1;
        eDataType = GDT_Byte;
        nBlockXSize = ds->GetRasterXSize();
        nBlockYSize = 1;
    }

    CPLErr IReadBlock(int, int y, void *line) override
    {
        std::memcpy(line, &pixels_[std::size_t(y) * nBlockXSize], std::size_t(nBlockXSize));
        return CE_None;
    }
    CPLErr IWriteBlock(int, int y, void *line) override
    {
        std::memcpy(&pixels_[std::size_t(y) * nBlockXSize], line, std::size_t(nBlockXSize));
        return CE_None;
    }

    double GetScale(int *success) override { return told(success, scale_); }
    double GetOffset(int *success) override { return told(success, offset_); }
    double GetNoDataValue(int *success) override
    {
        if (success)
            *success = has_nodata_;
        return nodata_;
    }
    // Values the header cannot hold are refused now, and kept, as the
    // dataset's georeference is.
    CPLErr SetScale(double v) override { return keep_real(&scale_, v, "scale"); }
    CPLErr SetOffset(double v) override { return keep_real(&offset_, v, "offset"); }
    CPLErr SetNoDataValue(double v) override
    {
        has_nodata_ = true;
        nodata_ = v;
        return byte_code(v) ? CE_None : refuse(CPLSPrintf("nodata %.17g is not a byte value", v));
    }
    CPLErr DeleteNoDataValue() override
    {
        has_nodata_ = false;
        return CE_None;
    }
    // Kept while the image is open, so that the tools that copy them over
    // (gdalwarp copies a colour table) meet no error; the colour table and
    // category names are written as a colour file, as a copy's are, the
    // rest is not stored.
    GDALColorTable *GetColorTable() override { return colours_.get(); }
    CPLErr SetColorTable(GDALColorTable *colours) override
    {
        colours_.reset(colours ? colours->Clone() : nullptr);
        return CE_None;
    }
    GDALColorInterp GetColorInterpretation() override { return interpretation_; }
    CPLErr SetColorInterpretation(GDALColorInterp interpretation) override
    {
        interpretation_ = interpretation;
        return CE_None;
    }
    char **GetCategoryNames() override { return names_.empty() ? nullptr : names_.List(); }
    CPLErr SetCategoryNames(char **names) override
    {
        names_ = CPLStringList(CSLDuplicate(names));
        return CE_None;
    }
    const char *GetUnitType() override { return unit_.c_str(); }
    CPLErr SetUnitType(const char *unit) override
    {
        unit_ = unit ? unit : "";
        return CE_None;
    }

private:
    static double told(int *success, double v)
    {
        if (success)
            *success = TRUE;
        return v;
    }
    CPLErr keep_real(double *field, double v, const char *name)
    {
        *field = v;
        return storable(v)
                   ? CE_None
                   : refuse(CPLSPrintf("%s %.15g does not fit the header's 6-byte reals", name, v));
    }
    CPLErr refuse(const char *reason)
    {
        fail(poDS->GetDescription(), reason);
        return CE_Failure;
    }

    std::vector<unsigned char> &pixels_;
    double scale_ = 1, offset_ = 0, nodata_ = 0;
    bool has_nodata_ = false;
    std::unique_ptr<GDALColorTable> colours_;
    GDALColorInterp interpretation_ = GCI_GrayIndex;
    CPLStringList names_;
    std::string unit_;
};

IDANewDataset::~IDANewDataset()
{
    // The lines still in GDAL's cache come home first; the file is written
    // from them, and a reason it could not be goes out as a GDAL error.
    FlushCache(true);
    try {
        write_file(filename_.c_str(), this, options_.List(), nullptr, nullptr);
    } catch (const std::bad_alloc &) {
        fail(filename_.c_str(), "out of memory; the file was not written");
    }
}

GDALDataset *IDADataset::Create(const char *filename, int columns, int rows, int bands,
                                GDALDataType type, char **options)
{
    if (bands != 1) {
        fail(filename, CPLSPrintf("IDA files hold one band; %d were asked for", bands));
        return nullptr;
    }
    if (type != GDT_Byte) {
        fail(filename,
             CPLSPrintf("IDA files hold bytes; %s was asked for", GDALGetDataTypeName(type)));
        return nullptr;
    }
    if (columns > largest_size || rows > largest_size) {
        fail(filename, CPLSPrintf("a %d x %d image is larger than the 32767 x 32767 an IDA "
                                  "header holds",
                                  columns, rows));
        return nullptr;
    }
    if (!writable_name(filename) || !decimals_option(filename, options))
        return nullptr;
    // A folder that is missing or shut to writing is reported now, not
    // when the image has been made.
    const std::string partial = partial_name(followed_link(filename));
    VSILFILE *fp = VSIFOpenL(partial.c_str(), "wb");
    if (fp == nullptr) {
        fail(filename, "cannot create " + partial);
        return nullptr;
    }
    VSIFCloseL(fp);
    VSIUnlink(partial.c_str());
    try {
        auto ds = std::make_unique<IDANewDataset>(filename, columns, rows, options);
        ds->SetBand(1, new IDANewBand(ds.get()));
        ds->SetDescription(filename);
        return ds.release();
    } catch (const std::bad_alloc &) {
        fail(filename, CPLSPrintf("no memory for a %d x %d image", columns, rows));
        return nullptr;
    }
}

} // namespace

// GDAL finds a plugin's registration function by the file's name.
extern "C" __attribute__((visibility("default"))) void GDALRegister_IDA()
{
    if (!GDAL_CHECK_VERSION("IDA") || GDALGetDriverByName("IDA") != nullptr)
        return;
    auto *driver = new GDALDriver();
    driver->SetDescription("IDA");
    driver->SetMetadataItem(GDAL_DCAP_RASTER, "YES");
    driver->SetMetadataItem(GDAL_DMD_LONGNAME, "IDA raster image (QUORVEX)");
    driver->SetMetadataItem(GDAL_DMD_EXTENSION, "ida");
    driver->SetMetadataItem(GDAL_DCAP_VIRTUALIO, "YES");
    driver->SetMetadataItem(GDAL_DMD_CREATIONDATATYPES, "Byte");
    driver->SetMetadataItem(
        GDAL_DMD_CREATIONOPTIONLIST,
        "<CreationOptionList>"
        "<Option name='TITLE' type='string' description='Title, up to 80 bytes'/>"
        "<Option name='DECIMALS' type='int' description='Decimals worth showing, 0-255'/>"
        "</CreationOptionList>");
    driver->pfnIdentify = IDADataset::Identify;
    driver->pfnOpen = IDADataset::Open;
    driver->pfnCreateCopy = IDADataset::CreateCopy;
    driver->pfnCreate = IDADataset::Create;
    driver->pfnDelete = IDADataset::Delete;
    GetGDALDriverManager()->RegisterDriver(driver);
}
