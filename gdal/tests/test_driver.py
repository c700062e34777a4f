# The IDA driver through GDAL itself: its programs and Python bindings on
# images the library writes, every position held against the library's own
# conversions (ida_probe).  Environment: GDAL_DRIVER_PATH (the plugin),
# IDA_PROBE, BRENNIX and IDA_SAMPLE (paths).
import gzip
import json
import math
import os
import random
import shutil
import stat
from pathlib import Path
import subprocess
import sys
import tempfile
import unittest
import zipfile
from xml.etree import ElementTree

from osgeo import gdal, osr

gdal.UseExceptions()
PROBE, BRENNIX, SAMPLE = (os.environ.get(k) for k in ("IDA_PROBE", "BRENNIX", "IDA_SAMPLE"))
N = -99999
# One image per projection code, written by the library: (code, centre
# latitude, longitude, parallels, dx, dy, x_center, y_center, columns, rows);
# then the largest difference allowed between GDAL's longitude/latitude of a
# pixel centre and _ImageToLonLat's, in degrees of arc (a longitude
# difference counts times the cosine of the latitude), and between
# _LonLatToImage of GDAL's position and the pixel, in pixels.  Each
# tolerance covers the largest difference measured over every pixel of its
# image, five times or more where both sides agree by definition; the
# figure is given where the engine's model differs.
IMAGES = {
    # Reaches beyond the ellipse: both unfold the point more than 180
    # degrees from the centre (where no way back exists) or both mark it.
    "hammer": ((2, 20, 10, N, N, 200, 100, 199.5, 80, 400, 200), 1e-8, 1e-6),
    "plate_carree": ((3, 45, 10, N, N, 10, 10, 100, 50, 200, 100), 1e-9, 1e-6),
    # The engine ends its latitude iteration at a step below 1e-5 radians:
    # 1.7e-6 degrees at most.
    "conformal_conic": ((4, 45, 10, 30, 60, .1, .1, 150, 150, 300, 300), 2e-6, 1e-6),
    # The engine's constants rounded to 7 digits: 4.5e-5 degrees near the
    # limb, 6.8e-6 pixels.  Rays that miss the earth both mark.
    "geostationary": ((5, 0, 0, N, N, 20, 20, 179.5, 179.5, 360, 360), 5e-5, 1e-5),
    "azimuthal_world": ((6, 52, 10, N, N, 1 / 3e4, 1 / 3e4, 450, 450, 900, 900), 1e-9, 1e-6),
    "polar_north": ((7, 60, -45, N, N, 4e-5, 4e-5, 150, 150, 300, 300), 1e-9, 1e-6),
    "polar_south": ((7, -71, 0, N, N, 4e-5, 4e-5, 150, 150, 300, 300), 1e-9, 1e-6),
    "albers": ((8, 37.5, -96, 29.5, 45.5, 4e-5, 4e-5, 100, 60, 200, 120), 1e-9, 1e-6),
    # The engine's rounded seam offset between the two zones (0.55 mm):
    # 2.9e-8 degrees.
    "goode": ((9, 0, 0, N, N, 1e-5, 1e-5, 199.5, 89.5, 400, 180), 1e-7, 1e-6),
}


# North of 60N PROJ's Goode inverse accepts 50W to 10W across the 40W
# interruption, which the engine marks.
def placed_by_proj_only(name, position):
    return name == "goode" and position[1] >= 60 and -50 <= position[0] <= -10


# Inside the Hammer-Aitoff ellipse (any pixel of the other codes).
def inside_hammer(args, c, l):
    code, lat0, _, _, _, dx, dy, xc, yc = args[:9]
    phi0 = math.radians(lat0)
    x, y = (c - xc) / dx, (yc - l) / dy + math.sin(phi0) / math.sqrt(1 + math.cos(phi0))
    return code != 2 or x * x + y * y < 0.98


class Scratch(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def make(self, name):
        subprocess.run([PROBE, "make", self.path(name + ".ida")] + [repr(v) for v in IMAGES[name][0]],
                       check=True)
        return self.path(name + ".ida")

    # _LonLatToImage of GDAL's position of each pixel (longitude within 180
    # degrees of the centre, as the engine takes it) gives the pixel.
    def check_forward(self, path, pixels, positions, tolerance, lon0=0):
        pairs = [(p, ((g[0] - lon0 + 180) % 360 - 180 + lon0, g[1]))
                 for p, g in zip(pixels, positions) if g]
        for (pixel, g), b in zip(pairs, probe("forward", path, [g for _, g in pairs])):
            self.assertLess(max(abs(b[0] - pixel[0]), abs(b[1] - pixel[1])), tolerance, (pixel, g))
        self.assertGreater(len(pairs), 100)


def probe(mode, path, points):
    text = "\n".join("%.15g %.15g" % p for p in points)
    lines = subprocess.run([PROBE, mode, path], input=text, capture_output=True, text=True,
                           check=True).stdout.splitlines()
    return [None if s == "none" else tuple(map(float, s.split())) for s in lines]


# GDAL's own longitude/latitude of pixel centres (None where it has none).
def gdal_positions(ds, pixels):
    geographic = "DST_SRS=" + ds.GetSpatialRef().CloneGeogCS().ExportToWkt()
    points, ok = gdal.Transformer(ds, None, [geographic]).TransformPoints(0, [(c + .5, l + .5)
                                                                             for c, l in pixels])
    return [p[:2] if s else None for p, s in zip(points, ok)]


def grid(columns, rows, step=9):
    return [(c, l) for l in range(0, rows, step) for c in range(0, columns, step)]


class Reading(Scratch):
    # What gdalinfo and the bindings see, every position against the
    # library's, and IDA to GeoTIFF and back to the same bytes.
    def test_every_code(self):
        for name, (args, degrees, pixels_tolerance) in IMAGES.items():
            with self.subTest(name):
                path = self.make(name)
                info = subprocess.run(["gdalinfo", path], capture_output=True, text=True)
                self.assertEqual(info.returncode, 0, info.stderr)
                ds = gdal.Open(path)
                band = ds.GetRasterBand(1)
                c, l = ds.RasterXSize - 1, ds.RasterYSize - 1
                self.assertEqual((ds.GetDriver().ShortName, ds.RasterCount, band.DataType, band.GetScale(),
                                  band.GetOffset(), band.GetNoDataValue(), band.ReadRaster(c, l, 1, 1),
                                  [ds.GetMetadataItem(k) for k in ("IDA_TYPE", "CODED_MIN", "CODED_MAX")]),
                                 ("IDA", 1, gdal.GDT_Byte, .5, -10, 255, bytes([(7 * c + 13 * l) % 251]),
                                  ["200", "0", "254"]))
                with self.assertRaisesRegex(RuntimeError, "opens files read-only"):
                    gdal.Open(path, gdal.GA_Update)
                pixels = grid(args[9], args[10])
                positions = gdal_positions(ds, pixels)
                engine = probe("inverse", path, pixels)
                for pixel, g, e in zip(pixels, positions, engine):
                    if g and e:
                        self.assertLess(abs((e[0] - g[0] + 180) % 360 - 180) * math.cos(math.radians(g[1])),
                                        degrees, pixel)
                        self.assertLess(abs(e[1] - g[1]), degrees, pixel)
                    else:
                        self.assertTrue(not (g or e) or (g and placed_by_proj_only(name, g)), (pixel, g, e))
                self.check_forward(path, pixels, [g if e and inside_hammer(args, *p) else None
                                                  for p, g, e in zip(pixels, positions, engine)],
                                   pixels_tolerance, args[2])
                back = self.path(name + "_back.ida")
                gdal.Translate(back, gdal.Translate(self.path(name + ".tif"), path, format="GTiff"),
                               format="IDA")
                a, b = Path(path).read_bytes(), Path(back).read_bytes()
                # Every byte but the title (the probe leaves it zero, the
                # driver pads it with spaces).
                self.assertEqual(a[:38] + a[118:], b[:38] + b[118:])


    # Compressed archives, through GDAL's virtual file systems.
    def test_inside_gzip_and_zip(self):
        Path(self.path("s.ida.gz")).write_bytes(gzip.compress(Path(SAMPLE).read_bytes()))
        with zipfile.ZipFile(self.path("s.zip"), "w", zipfile.ZIP_DEFLATED) as archive:
            archive.write(SAMPLE, "s.ida")
        pixels = gdal.Open(SAMPLE).ReadRaster()
        for name in "/vsigzip/" + self.path("s.ida.gz"), "/vsizip/" + self.path("s.zip/s.ida"):
            with self.subTest(name):
                ds = gdal.Open(name)
                self.assertEqual((ds.GetDriver().ShortName, ds.ReadRaster()), ("IDA", pixels))


class Identify(Scratch):
    # Formats GDAL writes, random bytes (half of them with rows x columns
    # matching the size) and headers the library refuses or that do not
    # describe the file.
    def test_other_files_are_not_claimed(self):
        good = Path(self.make("plate_carree")).read_bytes()
        files = [gdal.Translate(self.path("x." + fmt), self.path("plate_carree.ida"),
                                format=fmt).GetDescription() for fmt in ("GTiff", "PNG", "ENVI", "EHdr", "BMP")]
        rnd = random.Random(17)
        for i in range(40):
            data = bytearray(rnd.randbytes(rnd.randrange(0, 4096)))
            if i % 2 and len(data) > 600:
                data[30:34] = bytes([16, 0, 16, 0])
                data = data[:768]
            files.append(bytes(data))
        files += [good[:23] + b"\x01" + good[24:], good[:23] + b"\x0a" + good[24:],   # codes 1, 10, 255
                  good[:23] + b"\xff" + good[24:], good[:22] + b"\x07" + good[23:-1],  # unknown type, short
                  good[:-1], good + b"\0", good[:120] + bytes.fromhex("87 00 00 00 00 48") + good[126:]]
        for i, data in enumerate(files):
            path = data if isinstance(data, str) else self.path("f%d.ida" % i)
            if path != data:
                Path(path).write_bytes(data)
            self.assertNotEqual(getattr(gdal.IdentifyDriver(path), "ShortName", None), "IDA", path)
            with self.assertRaisesRegex(RuntimeError, "not recognized as a supported file format"):
                gdal.OpenEx(path, allowed_drivers=["IDA"])
        # An image of an IDA type the tables lack is claimed, to say so.
        Path(self.path("t7.ida")).write_bytes(good[:22] + b"\x07" + good[23:])
        with self.assertRaisesRegex(RuntimeError, "t7.ida: IDA type 7 is not in the tables; name a "
                                    "tables file that has it with the configuration option QUORVEX_TABLES"):
            gdal.Open(self.path("t7.ida"))

    # An archive's own IDA type, from the tables file QUORVEX_TABLES names
    # (read by each GDAL program afresh): opened with its coding, and kept
    # by a copy while the band keeps that coding.
    def test_own_types_from_a_tables_file(self):
        own = self.path("own.txt")
        Path(own).write_text(Path(__file__).resolve().parents[2].joinpath("tables/default_tables.txt").read_text() +
                             'idatype code=12 label="NDVI x 250" maxcodedvalue=250 missingcodes=255 '
                             'slope=0.004 intercept=-0.1\n')
        header = bytearray(Path(SAMPLE).read_bytes())
        header[22] = 12
        Path(self.path("t12.ida")).write_bytes(header)
        config = ["--config", "QUORVEX_TABLES", own]
        info = subprocess.run(["gdalinfo"] + config + [self.path("t12.ida")], capture_output=True, text=True)
        self.assertIn("Offset: -0.1,   Scale:0.004", info.stdout, info.stderr)
        self.assertIn("IDA_TYPE=12", info.stdout)
        law = ["-a_scale", "0.004", "-a_offset", "-0.1"]
        for options, kept in [(law[:1] + ["0.5"] + law[2:], 200), (law[:3] + ["0"], 200),
                              (["-a_nodata", "254"], 200), (law, 12), ([], 12)]:
            subprocess.run(["gdal_translate", "-q"] + config + options + ["-of", "IDA", self.path("t12.ida"),
                            self.path("copy.ida")], check=True)
            copy = Path(self.path("copy.ida")).read_bytes()
            self.assertEqual(copy[22], kept, options)
        # The title apart, and the coding the header does not carry for a
        # type of the tables (the library writes the law, 0.004 and -0.1
        # here, and leaves the range and missing code 0).
        self.assertEqual(header[:38] + header[118:168] + header[183:], copy[:38] + copy[118:168] + copy[183:])
        # Written over without the tables, quietly, its colour file too.
        Path(self.path("t12.clr")).write_text("0 255 1 2 3 all\n")
        over = subprocess.run(["gdal_translate", "-q", "-of", "IDA", SAMPLE, self.path("t12.ida")],
                              capture_output=True, text=True)
        self.assertEqual((over.returncode, over.stderr, Path(self.path("t12.ida")).read_bytes()[22]), (0, "", 200))
        self.assertFalse(os.path.exists(self.path("t12.clr")))
        # Types with codes beyond the nodata value (further missing codes,
        # cloud codes, a special code; only one more; one and no nodata
        # value) are masked on each, and their statistics, minimum and
        # maximum and histograms leave out every code: they are GDAL's own
        # of the same bytes with every code made the nodata value.
        types = {13: ("missingcodes=255,254 cloudcodes=251 sp1=0", (255, 254, 251, 0)),
                 14: ("missingcodes=254 cloudcodes=255", (254, 255)), 15: ("cloudcodes=0", (0,))}
        Path(own).write_text(Path(own).read_text() + "".join(
            'idatype code=%d label="Masked" %s\n' % (code, fields) for code, (fields, _) in types.items()))
        header[512:1024] = bytes(range(256)) * 2
        for code, (_, codes) in types.items():
            Path(self.path("t%d.ida" % code)).write_bytes(header[:22] + bytes([code]) + header[23:])
            Path(self.path("o%d.ida" % code)).write_bytes(
                header[:22] + bytes([200]) + header[23:170] + bytes(codes[:1]) + header[171:512] +
                bytes(codes[0] if b in codes else b for b in header[512:]))
        # Two more: nothing but codes (0), and no code at all (1).
        for code, pixels in (0, bytes([254, 255]) * (512 ** 2 // 2)), (1, bytes([7]) * 512 ** 2):
            Path(self.path("t%d.ida" % code)).write_bytes(header[:22] + bytes([14]) + header[23:512] + pixels)
            Path(self.path("o%d.ida" % code)).write_bytes(header[:22] + bytes([200]) + header[23:170] + bytes([254]) +
                                                          header[171:512] + pixels.replace(b"\xff", b"\xfe"))
        script = """import json, sys
from osgeo import gdal
gdal.UseExceptions()
def attempt(call):
    try:
        return call()
    except RuntimeError as e:
        return str(e)
for name in sys.argv[1:]:
    d = gdal.Open(name); b = d.GetRasterBand(1)
    seen = []
    print(json.dumps([attempt(call) for call in (
        b.GetMaskFlags, lambda: b.GetMaskBand().ReadRaster().hex(),
        lambda: b.ComputeStatistics(False, callback=lambda done, *_: seen.append(done) or 1),
        lambda: b.GetMetadataItem("STATISTICS_MEAN"), lambda: b.GetMetadataItem("STATISTICS_VALID_PERCENT"),
        lambda: b.ComputeRasterMinMax(False), lambda: seen[-1:],
        lambda: b.GetHistogram(-0.5, 255.5, 256, 0, 0), lambda: b.GetHistogram(-0.5, 255.5, 1, 0, 0),
        lambda: b.GetHistogram(10, 100.5, 9, 1, 0), lambda: b.GetHistogram(10, 100.5, 9, 0, 0),
        lambda: b.ComputeStatistics(False, callback=lambda *_: 0),
        lambda: b.GetHistogram(5, 5, 9, 0, 0), lambda: b.GetHistogram(10, 5, 9, 0, 0),
        # Approximate, as QGIS asks of a large image: the lines GDAL samples,
        # unless an exact histogram of the range was kept.
        lambda: [round(v, 9) for v in b.ComputeStatistics(True, callback=lambda done, *_: seen.append(done) or 1)],
        lambda: seen[-1:], lambda: b.GetMetadataItem("STATISTICS_APPROXIMATE"),
        lambda: b.GetMetadataItem("STATISTICS_VALID_PERCENT"), lambda: b.ComputeRasterMinMax(True),
        lambda: b.GetHistogram(-0.5, 255.5, 128, 0, 1), lambda: b.GetHistogram(-0.5, 255.5, 256, 0, 1),
        lambda: (b.ComputeStatistics(False), b.GetMetadataItem("STATISTICS_APPROXIMATE"))[1])]))"""
        names = ["%s%d" % (kind, code) for code in [*types, 0, 1] for kind in "to"]
        got = subprocess.run([sys.executable, "-c", script] + [self.path(name + ".ida") for name in names],
                             env=dict(os.environ, QUORVEX_TABLES=own), capture_output=True, text=True, check=True)
        got = dict(zip(names, map(json.loads, got.stdout.splitlines()), strict=True))
        for code in [*types, 0, 1]:
            ours, gdals = (json.loads(json.dumps(got[kind + str(code)]).replace("/%s%d.ida" % (kind, code), "/X"))
                           for kind in "to")
            self.assertEqual((ours[0], gdals[0]), (gdal.GMF_PER_DATASET, gdal.GMF_NODATA))
            self.assertEqual(ours[4:], gdals[4:], code)
            self.assertEqual(ours[1], gdals[1])
            if code == 0:   # no statistics
                self.assertEqual(ours[2:4], gdals[2:4])
                continue
            for a, b in zip(ours[2] + [ours[3]], gdals[2] + [gdals[3]], strict=True):
                self.assertAlmostEqual(float(a), float(b), delta=1e-12 * abs(float(b)))
        self.assertRegex(got["t0"][2], "/t0.ida, band 1: Failed to compute statistics, no valid pixels")
        # The histograms kept beside the images, to be given back when they
        # are opened again, as GDAL keeps its own.
        for code in [*types, 0, 1]:
            kept = [ElementTree.parse(self.path(f"{kind}{code}.ida.aux.xml")).find(".//Histograms")
                    for kind in "to"]
            self.assertEqual(len(kept[1]), 5)
            self.assertEqual(*map(ElementTree.tostring, kept))
        # A histogram asked for alone is kept too.
        histogram = """import sys
from osgeo import gdal
gdal.UseExceptions()
d = gdal.Open(sys.argv[1])
d.GetRasterBand(1).GetHistogram(-0.5, 255.5, 64, 0, 0)"""
        for name in "t13", "o13":
            os.remove(self.path(name + ".ida.aux.xml"))
            subprocess.run([sys.executable, "-c", histogram, self.path(name + ".ida")], check=True,
                           env=dict(os.environ, QUORVEX_TABLES=own))
        self.assertEqual(*(Path(self.path(name + ".ida.aux.xml")).read_text() for name in ("t13", "o13")))
        shutil.copyfile(SAMPLE, self.path("sample.ida"))   # statistics go beside it
        sample = gdal.Open(self.path("sample.ida"))   # the band needs its dataset kept
        values = [b for b in Path(SAMPLE).read_bytes()[512:] if b != 255]
        self.assertEqual((sample.GetRasterBand(1).GetMaskFlags(), sample.GetRasterBand(1).ComputeRasterMinMax(False)),
                         (gdal.GMF_NODATA, (min(values), max(values))))
        self.assertEqual(sample.GetRasterBand(1).ComputeStatistics(False)[:3], [min(values), max(values),
                                                                              sum(values) / len(values)])
        bad = subprocess.run(["gdalinfo", "--config", "QUORVEX_TABLES", self.path("none.txt"), SAMPLE],
                             capture_output=True, text=True)
        self.assertEqual(bad.returncode, 0)
        self.assertIn("QUORVEX_TABLES: " + self.path("none.txt"), bad.stderr)


class Writing(Scratch):
    # 80 bytes of title, never half a character; trailing blanks go; decimals 0 to 255.
    def test_title_and_decimals(self):
        for title, kept, decimals in [("x  ", "x", "0"), ("é" * 50, "é" * 40, "3"),
                                      ("a" + "é" * 50, "a" + "é" * 39, "255")]:
            with self.subTest(kept):
                out = gdal.Translate(self.path("t.ida"), self.make("plate_carree"), format="IDA",
                                     creationOptions=["TITLE=" + title, "DECIMALS=" + decimals])
                self.assertEqual([out.GetMetadataItem(k) for k in ("TITLE", "DECIMALS")], [kept, decimals])

    # An older image named through a link is replaced where the link leads
    # (gdal_translate deletes it first; CreateCopy may be told not to).
    def test_a_link_named_as_the_output_is_kept(self):
        source = self.make("plate_carree")
        shutil.copyfile(SAMPLE, self.path("old.ida"))
        os.symlink("old.ida", self.path("link.ida"))
        gdal.GetDriverByName("IDA").CreateCopy(self.path("link.ida"), gdal.Open(source),
                                               options=["QUIET_DELETE_ON_CREATE_COPY=NO"])
        self.assertEqual(os.readlink(self.path("link.ida")), "old.ida")
        self.assertEqual(gdal.Open(self.path("old.ida")).ReadRaster(), gdal.Open(source).ReadRaster())
        self.assertEqual(sorted(os.listdir(self.dir.name)), ["link.ida", "old.ida", "plate_carree.ida"])

    def test_coordinate_systems_of_other_origins(self):
        # (coordinate system, top-left corner, pixel size in its units); the
        # coded range without CODED_MIN/MAX: every byte but nodata's side.
        for i, (crs, x, y, size) in enumerate([("EPSG:4326", 5, 55, .01), ("EPSG:3413", -5e5, 5e5, 1e4),
                                ("EPSG:32661", 1.5e6, 2.5e6, 1e4), ("EPSG:3031", -1e6, 1e6, 2e4),
                                ("ESRI:102003", -5e5, 5e5, 1e4), ("EPSG:3034", 3.5e6, 3e6, 1e4),
                                ("ESRI:54052", -2e6, 5e6, 2e4),
                                ("+proj=hammer +R=6371000 +lon_0=20 +y_0=1000000", -2e6, 4e6, 2e4),
                                # a false northing no centre latitude explains
                                ("+proj=hammer +R=6371000 +y_0=-10800000", -2e6, -8e6, 2e4),
                                ("+proj=laea +lat_0=90 +lon_0=0 +R=6371228", -2e6, 2e6, 2e4),
                                ("+proj=geos +h=35785845 +a=6378155 +b=6356751.8 +lon_0=9.5 +x_0=1000",
                                 -1e6, 1e6, 1e4),
                                ("+proj=lcc +lat_1=33 +lat_2=45 +lat_0=39 +lon_0=-96 +ellps=WGS84 +units=us-ft",
                                 -3e6, 3e6, 3e4),
                                ("+proj=lcc +lat_1=45 +lat_0=45 +lon_0=10 +k_0=1 +ellps=WGS84", -1e6, 1e6, 1e4),
                                ("+proj=stere +lat_0=-90 +k=0.9 +lon_0=30 +ellps=WGS84", -1e6, 1e6, 1e4)]):
            with self.subTest(crs):
                src = gdal.GetDriverByName("MEM").Create("", 120, 90)
                src.SetGeoTransform((x, size, 0, y, 0, -size))
                srs = osr.SpatialReference()
                srs.SetFromUserInput(crs)
                srs.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)   # easting first
                src.SetSpatialRef(srs)
                src.GetRasterBand(1).SetNoDataValue(i % 2 * 200)
                out = gdal.Translate(self.path("out.ida"), src, format="IDA")
                self.assertEqual([out.GetMetadataItem(k) for k in ("CODED_MIN", "CODED_MAX")],
                                 ["0", "199"] if i % 2 else ["1", "255"])
                pixels = grid(120, 90, 7)
                # pixels: the geostationary view's rounded constants
                self.check_forward(self.path("out.ida"), pixels, gdal_positions(src, pixels),
                                   1e-5 if "geos" in crs else 1e-6)

    def test_what_cannot_be_stored_is_refused(self):
        source = self.make("conformal_conic")
        rotated, huge_scale, tiny_scale, no_range = (gdal.Translate("", source, format="MEM") for _ in range(4))
        rotated.SetGeoTransform((0, 1000, 10, 0, 10, -1000))
        huge_scale.GetRasterBand(1).SetScale(1e39)
        tiny_scale.GetRasterBand(1).SetScale(1e-12)   # a 6-byte real would hold 0
        no_range.SetMetadata({"CODED_MIN": "10", "CODED_MAX": "5"})
        for options, source_ds, words in [
                (dict(outputSRS="EPSG:32632"), source, "+proj=utm has no IDA projection code"),
                (dict(outputSRS="EPSG:3035"), source, "is spherical; this one lies on an ellipsoid"),
                (dict(outputSRS="EPSG:4267"), source, "on WGS 84"),
                (dict(outputSRS="+proj=longlat +datum=WGS84 +pm=paris"), source, "prime meridian +pm=paris"),
                (dict(outputSRS="+proj=stere +lat_0=45 +lon_0=10"), source, "oblique aspect"),
                (dict(outputSRS="+proj=stere +lat_0=90 +k=0.4"), source, "no latitude of true scale"),
                (dict(outputSRS="+proj=aea +lat_1=20 +lat_2=50 +k=0.9"), source, "scale factor other than 1"),
                (dict(outputSRS="+proj=laea +lat_0=45 +R=6370997 +axis=wsu"), source, "west or south"),
                (dict(outputSRS="+proj=hammer +W=0.25 +M=2"), source, "Hammer-Aitoff variant +W=0.25"),
                (dict(outputSRS="+proj=igh +R=6370997 +over"), source, "+over of +proj=igh has no place"),
                (dict(outputType=gdal.GDT_Int16), source, "the band is Int16"),
                (dict(bandList=[1, 1]), source, "one band; the source has 2"),
                (dict(width=40000, height=2), source, "larger than the 32767 x 32767"),
                (dict(callback=lambda *_: 0), source, "interrupted by the user"),
                (dict(creationOptions=["DECIMALS=256"]), source, "DECIMALS=256 is not a whole number from 0 to 255"),
                ({}, rotated, "rotated or sheared"), ({}, huge_scale, "scale 1e+39"),
                ({}, tiny_scale, "scale 1e-12"),
                ({}, no_range, "coded range CODED_MIN..CODED_MAX is empty")]:
            with self.subTest(words):
                with self.assertRaises(RuntimeError) as refused:
                    gdal.Translate(self.path("no.ida"), source_ds, format="IDA", **options)
                self.assertIn(words, str(refused.exception))
                self.assertEqual([f for f in os.listdir(self.dir.name) if f.startswith("no.")], [])
        # The full device: a node of its own as root, so that a faulty driver
        # replaces that node and not /dev/full; else a link to /dev/full,
        # which only root could replace.
        try:
            os.mknod(self.path("full.ida"), 0o666 | stat.S_IFCHR, os.makedev(1, 7))
        except PermissionError:
            os.symlink("/dev/full", self.path("full.ida"))
        for target in self.path("full.ida"), "/vsistdout/":
            with self.assertRaises(RuntimeError) as refused:
                gdal.Translate(target, source, format="IDA")
            self.assertIn(target + ": not a regular file", str(refused.exception))
        self.assertTrue(stat.S_ISCHR(os.stat(self.path("full.ida")).st_mode))
        # An archive keeps what it is given under the name it was given.
        for target in f"/vsizip/{self.path('no.zip')}/no.ida", f"/vsigzip/{self.path('no.ida.gz')}":
            with self.assertRaises(RuntimeError) as refused:
                gdal.Translate(target, source, format="IDA")
            self.assertIn(target + ": an archive cannot take", str(refused.exception))
        self.assertEqual([f for f in os.listdir(self.dir.name) if f.startswith("no.")], [])


    # A colour table goes beside the image as a colour file, category names
    # as legends, and reads back entry for entry (alpha 0 stays transparent
    # and nameless, any other alpha is opaque); the file belongs to the
    # image: listed and deleted with it, and gone when an image without
    # colours replaces it.
    def test_colour_table_as_a_colour_file(self):
        plain = self.make("plate_carree")
        src = gdal.Translate("", plain, format="MEM")
        # Runs of four bytes, each a colour one part away from the last.
        table, colours, rgb = gdal.ColorTable(), [], [0, 0, 0]
        for k in range(256):
            rgb[k // 4 % 3] += k % 4 == 0
            colours.append(tuple(rgb))
            table.SetColorEntry(k, colours[-1] + (0 if 8 <= k <= 13 else 100 + k % 2,))
        src.GetRasterBand(1).SetColorTable(table)
        ds = gdal.Translate(self.path("c.ida"), src, format="IDA")   # the band needs its dataset kept
        self.assertIsNone(ds.GetRasterBand(1).GetCategoryNames())
        # names in runs of four too, but two names in the run of 16 to 19
        names = [" run\n%d " % (k // 4) if k < 16 or k > 19 else "x y" + "z" * (k // 18) for k in range(40)]
        src.GetRasterBand(1).SetCategoryNames(names)
        for _ in range(2):   # the second over the first
            ds = gdal.Translate(self.path("c.ida"), src, format="IDA")
        self.assertEqual([ds.GetRasterBand(1).GetColorTable().GetColorEntry(k) for k in range(256)],
                         [(0, 0, 0, 0) if 8 <= k <= 13 else colours[k] + (255,) for k in range(256)])
        self.assertEqual(ds.GetRasterBand(1).GetCategoryNames(),
                         ["" if 8 <= k <= 13 or k >= 40 else names[k].strip().replace("\n", " ") for k in range(256)])
        self.assertEqual(ds.GetFileList(), [self.path("c.ida"), self.path("c.CLR")])
        del ds
        gdal.Translate(self.path("c.ida"), plain, format="IDA")
        self.assertFalse(os.path.exists(self.path("c.CLR")))
        gdal.Translate(self.path("c.ida"), src, format="IDA")
        gdal.GetDriverByName("IDA").Delete(self.path("c.ida"))
        self.assertEqual(sorted(os.listdir(self.dir.name)), ["plate_carree.ida"])

    # Create, as the bindings, gdal_calc.py and QGIS make an image: the
    # pixels written in pieces, the rest set after them; the file, written
    # when the dataset closes, is the one CreateCopy makes of the same image.
    def test_create_writes_what_createcopy_writes(self):
        source = gdal.Open(self.make("albers"))
        gdal.Translate(self.path("copy.ida"), source, format="IDA", creationOptions=["TITLE=made"])
        columns, rows, pixels = source.RasterXSize, source.RasterYSize, source.ReadRaster()
        ds = gdal.GetDriverByName("IDA").Create(self.path("new.ida"), columns, rows, options=["TITLE=made"])
        band = ds.GetRasterBand(1)
        band.WriteRaster(0, 0, columns, 50, pixels[:50 * columns])
        band.WriteRaster(0, 50, columns, rows - 50, pixels[50 * columns:])
        old = source.GetRasterBand(1)
        band.SetNoDataValue(old.GetNoDataValue())
        band.SetScale(old.GetScale())
        band.SetOffset(old.GetOffset())
        band.SetColorTable(gdal.ColorTable())   # as a tool may set an empty one: no error, no file
        ds.SetMetadata({k: source.GetMetadataItem(k) for k in ("CODED_MIN", "CODED_MAX", "DECIMALS")})
        ds.SetSpatialRef(source.GetSpatialRef())
        ds.SetGeoTransform(source.GetGeoTransform())
        del ds, band
        self.assertEqual(Path(self.path("new.ida")).read_bytes(), Path(self.path("copy.ida")).read_bytes())
        self.assertFalse(os.path.exists(self.path("new.CLR")))

    # Refused when made; what the header cannot hold is refused when it is
    # set (rasterio's writer and the bindings raise there) and again at
    # close, and then no file is left.
    def test_create_refuses_what_cannot_be_stored(self):
        driver = gdal.GetDriverByName("IDA")
        for name, size, words in [("no.ida", (4, 3, 2), "one band; 2 were asked for"),
                                  ("no.ida", (4, 3, 1, gdal.GDT_Int16), "bytes; Int16 was asked for"),
                                  ("no.ida", (40000, 2), "larger than the 32767 x 32767"),
                                  ("/vsistdout/", (4, 3), "not a regular file"),
                                  ("/vsigzip/" + self.path("no.ida.gz"), (4, 3), "an archive cannot take"),
                                  ("no.ida", (4, 3, 1, gdal.GDT_Byte, ["DECIMALS=-1"]), "DECIMALS=-1 is not"),
                                  ("missing/no.ida", (4, 3), "cannot create .*/missing/no.ida.*partial")]:
            with self.subTest(words):
                with self.assertRaisesRegex(RuntimeError, words):
                    driver.Create(name if name.startswith("/") else self.path(name), *size)
        utm, wgs84 = osr.SpatialReference(), osr.SpatialReference()
        utm.ImportFromEPSG(32632)
        wgs84.ImportFromEPSG(4326)
        for calls, words in [
                ([lambda ds: ds.SetSpatialRef(utm), lambda ds: ds.SetGeoTransform((5e5, 10, 0, 5e6, 0, -10))],
                 "the projection +proj=utm has no IDA projection code (IDA files hold longitude/latitude, "
                 "hammer, lcc, geos, laea, polar stere, aea and igh)"),
                ([lambda ds: ds.SetGeoTransform((0, 1, .5, 0, 0, -1)), lambda ds: ds.SetSpatialRef(wgs84)],
                 "a rotated or sheared grid cannot be stored"),
                ([lambda ds: ds.GetRasterBand(1).SetScale(1e-12)], "scale 1e-12 does not fit the header's 6-byte reals"),
                ([lambda ds: ds.GetRasterBand(1).SetOffset(1e39)], "offset 1e+39 does not fit the header's 6-byte reals"),
                ([lambda ds: ds.GetRasterBand(1).SetNoDataValue(256)], "nodata 256 is not a byte value")]:
            with self.subTest(words):
                ds = driver.Create(self.path("no.ida"), 4, 3)
                ds.GetRasterBand(1).SetNoDataValue(0)
                *before, last = calls
                for call in before:   # refused only once the other is set
                    call(ds)
                # Without exceptions, as C and C++ callers see it: the status too.
                gdal.DontUseExceptions()
                gdal.PushErrorHandler("CPLQuietErrorHandler")
                try:
                    refused = last(ds), gdal.GetLastErrorMsg()
                finally:
                    gdal.PopErrorHandler()
                    gdal.UseExceptions()
                self.assertEqual(refused, (gdal.CE_Failure, self.path("no.ida") + ": " + words))
                errors = []
                gdal.PushErrorHandler(lambda _, __, text: errors.append(text))
                del ds
                gdal.PopErrorHandler()
                self.assertEqual(len(errors), 1)
                self.assertIn(words.split(" does not fit")[0], errors[0])
                self.assertEqual(os.listdir(self.dir.name), [])


class BrennixOutput(Scratch):
    def test_opens_with_the_new_law_title_and_colours(self):
        shutil.copyfile(SAMPLE, self.path("in.ida"))   # never the committed file itself
        subprocess.run([BRENNIX, "in.ida", "out.ida", "0.35", "-5", "run.log", "out.clr"], check=True,
                       cwd=self.dir.name, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
        ds = gdal.Open(self.path("out.ida"))   # a band does not keep its dataset open
        band = ds.GetRasterBand(1)
        self.assertAlmostEqual(band.GetScale(), .35, delta=1e-11)
        self.assertEqual((band.GetOffset(), band.GetNoDataValue(), ds.GetMetadataItem("TITLE"),
                          band.GetColorInterpretation()),
                         (-5, 255, "Built from in.ida with new slope and intercept", gdal.GCI_PaletteIndex))
        # Byte 9 lies in two classes and takes the first, as quorvex render
        # draws it; the legends are the category names.
        self.assertEqual([band.GetColorTable().GetColorEntry(k) for k in (0, 9, 254, 255)],
                         [(255, 255, 0, 255), (255, 255, 217, 255), (255, 0, 0, 255), (0, 255, 0, 255)])
        self.assertEqual([band.GetCategoryNames()[k] for k in (0, 9, 10, 255)],
                         ["<-5", "-5  to -2", "-2  to  1", "Missing"])


class Rasterio(Scratch):
    # rasterio's own ways in: windowed reads, and its writer, which makes
    # the image through Create.
    def test_reads_windows_and_writes(self):
        try:
            import rasterio
            from rasterio.windows import Window
        except ImportError:
            self.skipTest("rasterio is not installed (python3-rasterio)")
        path = self.make("albers")
        ds = gdal.Open(path)
        with rasterio.open(path) as r:
            self.assertEqual((r.driver, r.count, r.dtypes, r.nodata, r.scales, r.offsets,
                              r.transform.to_gdal(), r.crs, r.tags()["IDA_TYPE"]),
                             ("IDA", 1, ("uint8",), 255, (.5,), (-10,), ds.GetGeoTransform(),
                              rasterio.crs.CRS.from_wkt(ds.GetProjection()), "200"))
            self.assertEqual(r.read(1, window=Window(13, 7, 50, 31)).tobytes(),
                             ds.ReadRaster(13, 7, 50, 31))
            profile, tags, pixels = r.profile, r.tags(), r.read()
        profile.update(driver="IDA")
        for key in "blockxsize", "blockysize", "tiled":
            profile.pop(key, None)
        with rasterio.open(self.path("copy.ida"), "w", **profile) as w:
            w.write(pixels)
            w.scales, w.offsets = (.5,), (-10,)
            w.update_tags(**tags)
        a, b = Path(path).read_bytes(), Path(self.path("copy.ida")).read_bytes()
        self.assertEqual(a[:38] + a[118:], b[:38] + b[118:])   # the title apart, as above


if __name__ == "__main__":
    unittest.main()
