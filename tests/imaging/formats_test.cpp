// The built-in decoders (TGA, PSD, QOI, Radiance HDR) against pictures made apart from them, their
// limits on hostile headers, the HDR tone mapping and turning camera pictures upright.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "imaging/decode_builtin.h"
#include "imaging/orientation.h"
#include "imaging/tone_map.h"
#include "support/formats.h"
#include "support/test_env.h"

namespace {

using imaging::BuiltinFailure;
using imaging::BuiltinFormat;
using testsupport::Pixels;

constexpr long long kLimit = 256LL * 1024 * 1024;

struct Decoded {
    imaging::BuiltinResult result;
    Pixels pixels;
    int targetCalls = 0;
};

Decoded Decode(const std::string& bytes, BuiltinFormat format, long long limit = kLimit)
{
    Decoded decoded;
    std::vector<std::uint32_t> memory;
    decoded.result = imaging::DecodeBuiltin(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), format,
                                            limit, [&](int width, int height) {
                                                ++decoded.targetCalls;
                                                memory.assign(static_cast<std::size_t>(width) * height, 0xdeadbeefu);
                                                return reinterpret_cast<std::uint8_t*>(memory.data());
                                            });
    decoded.pixels = Pixels{decoded.result.width, decoded.result.height, memory};
    return decoded;
}

Decoded DecodeFile(const std::wstring& name, const wchar_t* extension)
{
    const std::string bytes = testsupport::ReadFileBytes(testsupport::DataFile(name));
    EXPECT_FALSE(bytes.empty()) << "missing reference file";
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return Decode(bytes, imaging::BuiltinFormatOf(data, bytes.size(), extension));
}

}  // namespace

TEST(BuiltinFormats, TgaBottomUpTopDownAndRunLengthCodedGiveTheReference)
{
    for (const auto& [name, alpha] : {std::pair{L"plain_bottom_up.tga", false}, std::pair{L"plain_top_down.tga", true},
                                      std::pair{L"rle_bottom_up.tga", true}}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        const Decoded decoded = DecodeFile(name, L".TGA");
        ASSERT_EQ(decoded.result.failure, BuiltinFailure::None);
        EXPECT_EQ(decoded.result.hasAlpha, alpha);
        EXPECT_TRUE(testsupport::NearPicture(decoded.pixels, testsupport::ReferencePixels(alpha), 0, true));
    }
}

TEST(BuiltinFormats, PsdCompositeOf8And16BitsGivesTheReference)
{
    const Decoded eight = DecodeFile(L"alpha8.psd", L".psd");
    ASSERT_EQ(eight.result.failure, BuiltinFailure::None);
    EXPECT_TRUE(eight.result.hasAlpha);
    // ImageMagick blends partly clear colours of the composite into a matte: their alphas still count.
    EXPECT_TRUE(testsupport::NearPicture(eight.pixels, testsupport::ReferencePixels(true), 0, false));

    const Decoded sixteen = DecodeFile(L"opaque16.psd", L".psd");
    ASSERT_EQ(sixteen.result.failure, BuiltinFailure::None);
    EXPECT_FALSE(sixteen.result.hasAlpha);
    EXPECT_TRUE(testsupport::NearPicture(sixteen.pixels, testsupport::ReferencePixels(false), 0, true));
}

TEST(BuiltinFormats, QoiWithAndWithoutAlphaGivesEveryPixel)
{
    const Pixels clear = testsupport::ReferencePixels(true);
    const Decoded withAlpha = Decode(testsupport::Qoi(clear, 4), BuiltinFormat::Qoi);
    ASSERT_EQ(withAlpha.result.failure, BuiltinFailure::None);
    EXPECT_TRUE(withAlpha.result.hasAlpha);
    EXPECT_EQ(withAlpha.pixels.argb, clear.argb);  // QOI keeps the colour of clear pixels too

    const Pixels opaque = testsupport::ReferencePixels(false);
    const Decoded withoutAlpha = Decode(testsupport::Qoi(opaque, 3), BuiltinFormat::Qoi);
    ASSERT_EQ(withoutAlpha.result.failure, BuiltinFailure::None);
    EXPECT_FALSE(withoutAlpha.result.hasAlpha);
    EXPECT_EQ(withoutAlpha.pixels.argb, opaque.argb);
}

TEST(BuiltinFormats, TheFormatIsKnownBySignatureAndTgaByItsExtension)
{
    const auto of = [](const std::string& head, const wchar_t* extension) {
        return imaging::BuiltinFormatOf(reinterpret_cast<const std::uint8_t*>(head.data()), head.size(), extension);
    };
    EXPECT_EQ(of("8BPS\x00\x01", L".tga"), BuiltinFormat::Psd);
    EXPECT_EQ(of("qoif", L".bin"), BuiltinFormat::Qoi);
    EXPECT_EQ(of("#?RADIANCE\n", L""), BuiltinFormat::Hdr);
    EXPECT_EQ(of("#?RGBE\n", L".pic"), BuiltinFormat::Hdr);
    EXPECT_EQ(of(std::string(18, '\0'), L".Tga"), BuiltinFormat::Tga);
    EXPECT_EQ(of(std::string(18, '\0'), L".png"), BuiltinFormat::None);
    EXPECT_EQ(of("8BP", L".psd"), BuiltinFormat::None);
    EXPECT_EQ(of("", L".qoi"), BuiltinFormat::None);
    EXPECT_EQ(Decode("anything", BuiltinFormat::None).result.failure, BuiltinFailure::NotBuiltin);
}

TEST(BuiltinFormats, LyingSizesAreRefusedBeforeAnyPixelMemory)
{
    const auto refusedUnread = [](const std::string& bytes, BuiltinFormat format) {
        const Decoded decoded = Decode(bytes, format);
        EXPECT_EQ(decoded.result.failure, BuiltinFailure::TooLarge);
        EXPECT_EQ(decoded.targetCalls, 0);
    };
    // QOI: 70000 x 70000 in the header, the end mark in place.
    std::string qoi = testsupport::Qoi(testsupport::ReferencePixels(false), 3);
    qoi.replace(4, 8, std::string("\x00\x01\x11\x70\x00\x01\x11\x70", 8));
    refusedUnread(qoi, BuiltinFormat::Qoi);

    // TGA: 65535 x 65535.
    std::string tga = testsupport::ReadFileBytes(testsupport::DataFile(L"plain_top_down.tga"));
    ASSERT_GT(tga.size(), 18u);
    tga.replace(12, 4, std::string("\xff\xff\xff\xff", 4));
    refusedUnread(tga, BuiltinFormat::Tga);

    // PSD: 30000 x 30000.
    std::string psd = testsupport::ReadFileBytes(testsupport::DataFile(L"alpha8.psd"));
    ASSERT_GT(psd.size(), 26u);
    psd.replace(14, 8, std::string("\x00\x00\x75\x30\x00\x00\x75\x30", 8));
    refusedUnread(psd, BuiltinFormat::Psd);

    // HDR: 20000 x 20000, and one side past the cap on sides.
    refusedUnread(testsupport::Hdr(20000, 20000, {{1, 1, 1, 128}}), BuiltinFormat::Hdr);
    const Decoded tall = Decode(testsupport::Hdr(1, 70000, {{1, 1, 1, 128}}), BuiltinFormat::Hdr);
    EXPECT_NE(tall.result.failure, BuiltinFailure::None);
    EXPECT_EQ(tall.targetCalls, 0);

    // Within the limit a small picture passes; below it, the same picture does not.
    EXPECT_EQ(Decode(testsupport::Qoi(testsupport::ReferencePixels(false), 3), BuiltinFormat::Qoi, 35).result.failure,
              BuiltinFailure::None);
    EXPECT_EQ(Decode(testsupport::Qoi(testsupport::ReferencePixels(false), 3), BuiltinFormat::Qoi, 34).result.failure,
              BuiltinFailure::TooLarge);
}

TEST(BuiltinFormats, FilesCutShortAreDamagedNotFilledIn)
{
    const std::string tga = testsupport::ReadFileBytes(testsupport::DataFile(L"plain_bottom_up.tga"));
    const std::string rle = testsupport::ReadFileBytes(testsupport::DataFile(L"rle_bottom_up.tga"));
    const std::string psd = testsupport::ReadFileBytes(testsupport::DataFile(L"alpha8.psd"));
    const std::string qoi = testsupport::Qoi(testsupport::ReferencePixels(true), 4);
    const std::string hdr =
        testsupport::Hdr(2, 2, {{128, 0, 0, 129}, {0, 128, 0, 129}, {0, 0, 128, 129}, {1, 1, 1, 1}});
    for (const auto& [bytes, format] :
         {std::pair{tga, BuiltinFormat::Tga}, std::pair{rle, BuiltinFormat::Tga}, std::pair{psd, BuiltinFormat::Psd},
          std::pair{qoi, BuiltinFormat::Qoi}, std::pair{hdr, BuiltinFormat::Hdr}}) {
        ASSERT_EQ(Decode(bytes, format).result.failure, BuiltinFailure::None);
        for (const std::size_t cut : {std::size_t{1}, std::size_t{17}, bytes.size() / 2, bytes.size() - 1}) {
            SCOPED_TRACE(testing::Message() << "format " << static_cast<int>(format) << ", cut at " << cut);
            EXPECT_EQ(Decode(bytes.substr(0, cut), format).result.failure, BuiltinFailure::Damaged);
        }
    }
}

TEST(ToneMap, HdrPicturesAreMappedByTheGlobalReinhardOperatorInSrgb)
{
    // Linear values chosen exactly representable in RGBE: 1, 0.5, 0.25, 4 and black.
    const std::vector<testsupport::Rgbe> rgbe{
        {128, 64, 32, 129}, {128, 128, 128, 131}, {0, 0, 0, 0}, {64, 64, 64, 129}};
    const double linear[4][3] = {{1, 0.5, 0.25}, {4, 4, 4}, {0, 0, 0}, {0.5, 0.5, 0.5}};
    const Decoded decoded = Decode(testsupport::Hdr(2, 2, rgbe), BuiltinFormat::Hdr);
    ASSERT_EQ(decoded.result.failure, BuiltinFailure::None);
    ASSERT_EQ(decoded.pixels.argb.size(), 4u);
    EXPECT_FALSE(decoded.result.hasAlpha);

    // The operator as documented, worked out here on its own.
    double logSum = 0;
    double brightest = 0;
    double lum[4];
    for (int i = 0; i < 4; ++i) {
        lum[i] = 0.2126 * linear[i][0] + 0.7152 * linear[i][1] + 0.0722 * linear[i][2];
        logSum += std::log(1e-4 + lum[i]);
    }
    const double scale = 0.18 / std::exp(logSum / 4);
    for (const double l : lum)
        brightest = std::max(brightest, l * scale);
    const double white = std::max(1.0, brightest);
    for (int i = 0; i < 4; ++i) {
        const double l = scale * lum[i];
        const double shown = l * (1 + l / (white * white)) / (1 + l);
        std::uint32_t want = 0xff000000u;
        for (int c = 0; c < 3; ++c) {
            const double v = lum[i] > 0 ? std::min(1.0, linear[i][c] * shown / lum[i]) : 0;
            const double s = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
            want |= static_cast<std::uint32_t>(std::lround(s * 255)) << (16 - 8 * c);
        }
        EXPECT_EQ(decoded.pixels.argb[static_cast<std::size_t>(i)], want) << i;
    }
    // The brightest pixel is white, black stays black.
    EXPECT_EQ(decoded.pixels.argb[1], 0xffffffffu);
    EXPECT_EQ(decoded.pixels.argb[2], 0xff000000u);
}

namespace {

// The EXIF orientations built from two plain moves: a mirror (left to right) and a quarter turn clockwise.
Pixels Mirror(const Pixels& in)
{
    Pixels out{in.width, in.height, {}};
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x)
            out.argb.push_back(in.At(in.width - 1 - x, y));
    return out;
}

Pixels TurnClockwise(const Pixels& in)
{
    Pixels out{in.height, in.width, {}};
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.argb.push_back(in.At(y, in.height - 1 - x));
    return out;
}

Pixels Upright(const Pixels& stored, int orientation)
{
    // 2, 4, 5 and 7 are mirrored; then the turns: 3 and 4 half round, 6 and 7 a quarter, 5 and 8 three quarters.
    static const int quarterTurns[9] = {0, 0, 0, 2, 2, 3, 1, 1, 3};
    const bool mirrored = orientation == 2 || orientation == 4 || orientation == 5 || orientation == 7;
    Pixels out = mirrored ? Mirror(stored) : stored;
    for (int i = 0; i < quarterTurns[orientation]; ++i)
        out = TurnClockwise(out);
    return out;
}

}  // namespace

TEST(Orientation, EveryExifOrientationIsTurnedUpright)
{
    const Pixels stored = testsupport::Pattern(5, 3, 17);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const Pixels want = Upright(stored, orientation);
        Pixels got{want.width, want.height, std::vector<std::uint32_t>(want.argb.size(), 0)};
        ASSERT_TRUE(imaging::TurnUpright(
            {stored.width, stored.height, stored.width * 4, reinterpret_cast<const std::uint8_t*>(stored.argb.data())},
            orientation, {got.width, got.height, got.width * 4, reinterpret_cast<std::uint8_t*>(got.argb.data())}));
        EXPECT_EQ(imaging::OrientationSwapsSides(orientation), orientation >= 5);
        EXPECT_EQ(got.argb, want.argb);
    }
    // A target of the wrong size is refused.
    std::vector<std::uint32_t> wrong(15);
    EXPECT_FALSE(imaging::TurnUpright({5, 3, 20, reinterpret_cast<const std::uint8_t*>(stored.argb.data())}, 6,
                                      {5, 3, 20, reinterpret_cast<std::uint8_t*>(wrong.data())}));
}

namespace {

// A JPEG's headers up to its picture data: a JFIF block, then an EXIF block stating the orientation
// in either byte order, then a table; the picture data itself is not needed to find the orientation.
std::string CameraHeaders(int orientation, bool bigEndian)
{
    const auto le16 = [bigEndian](unsigned v) {
        return bigEndian ? std::string{static_cast<char>(v >> 8), static_cast<char>(v & 0xff)}
                         : std::string{static_cast<char>(v & 0xff), static_cast<char>(v >> 8)};
    };
    const auto le32 = [&](std::uint32_t v) {
        return bigEndian ? le16(v >> 16) + le16(v & 0xffff) : le16(v & 0xffff) + le16(v >> 16);
    };
    std::string tiff = (bigEndian ? "MM" : "II") + le16(42) + le32(8) + le16(2);
    tiff += le16(0x010f) + le16(2) + le32(4) + "Foo";  // another tag first (maker, four ASCII bytes)
    tiff += '\0';
    tiff += le16(274) + le16(3) + le32(1) + le16(static_cast<unsigned>(orientation)) + le16(0) + le32(0);
    const std::string exif = std::string("Exif\0\0", 6) + tiff;
    std::string jpeg("\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
    jpeg += std::string("\xff\xe1", 2) + static_cast<char>((exif.size() + 2) >> 8) +
            static_cast<char>((exif.size() + 2) & 0xff) + exif;
    return jpeg + std::string("\xff\xdb\x00\x03\x00\xff\xda", 7);
}

int OrientationOf(const std::string& bytes)
{
    return imaging::JpegExifOrientation(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

TEST(Orientation, AJpegsOwnExifBlockTellsItsOrientationAndDamageMeansNone)
{
    for (int orientation = 1; orientation <= 8; ++orientation) {
        EXPECT_EQ(OrientationOf(CameraHeaders(orientation, false)), orientation);
        EXPECT_EQ(OrientationOf(CameraHeaders(orientation, true)), orientation);
    }
    const std::string six = CameraHeaders(6, false);
    EXPECT_EQ(OrientationOf(CameraHeaders(9, false)), 1);
    EXPECT_EQ(OrientationOf(CameraHeaders(0, true)), 1);
    for (std::size_t cut = 0; cut < 60; ++cut)
        EXPECT_EQ(OrientationOf(six.substr(0, cut)), 1) << cut;
    std::string longer = six;
    longer[23] = '\x7f';  // the EXIF block claims more than the file holds
    EXPECT_EQ(OrientationOf(longer), 1);
    std::string noJpeg = six;
    noJpeg[1] = '\x00';
    EXPECT_EQ(OrientationOf(noJpeg), 1);
}
