// The splash picture and its decoder: the picture compiled into the program is
// a baseline JFIF JPEG of 150 x 60 with three 8-bit components and decodes
// cleanly; damaged, cut-off or hostile pictures are refused with an error
// instead of ending the process or showing a half-grey picture.
#include "update/EJpegError.h"
#include "update/JpegDecoder.h"
#include "update/SplashPicture.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

using TBytes = std::vector<unsigned char>;

TBytes Splash()
{
    const auto bytes = TSplashPicture::Bytes();
    return TBytes(bytes.begin(), bytes.end());
}

struct TSegment {
    unsigned char Marker;
    size_t Offset; // of the 0xFF byte
    TBytes Payload;
};

// Walks the marker structure as a JPEG reader would: segments up to the start
// of scan, then the entropy-coded data up to the next marker.
std::vector<TSegment> Segments(const TBytes& data)
{
    std::vector<TSegment> segments;
    size_t at = 0;
    while (at + 1 < data.size()) {
        if (data[at] != 0xFF)
            return {}; // not at a marker: broken structure
        const unsigned char marker = data[at + 1];
        if (marker == 0xD8 || marker == 0xD9) {
            segments.push_back({marker, at, {}});
            at += 2;
            continue;
        }
        if (at + 3 >= data.size())
            return {};
        const size_t length = static_cast<size_t>(data[at + 2]) << 8 | data[at + 3];
        if (length < 2 || at + 2 + length > data.size())
            return {};
        segments.push_back({marker, at, TBytes(data.begin() + at + 4, data.begin() + at + 2 + length)});
        at += 2 + length;
        if (marker == 0xDA) // entropy-coded data follows: skip stuffed bytes and restart markers
            while (at + 1 < data.size() &&
                   !(data[at] == 0xFF && data[at + 1] != 0x00 && (data[at + 1] < 0xD0 || data[at + 1] > 0xD7)))
                ++at;
    }
    return at == data.size() ? segments : std::vector<TSegment>{};
}

const TSegment* Find(const std::vector<TSegment>& segments, unsigned char marker)
{
    for (const TSegment& segment : segments)
        if (segment.Marker == marker)
            return &segment;
    return nullptr;
}

TEST(SplashPicture, IsABaselineJfifOf150By60WithThreeEightBitComponents)
{
    const std::vector<TSegment> segments = Segments(Splash());
    ASSERT_GE(segments.size(), 4u) << "the picture's marker structure is broken";
    EXPECT_EQ(segments.front().Marker, 0xD8);
    EXPECT_EQ(segments.back().Marker, 0xD9);

    ASSERT_EQ(segments[1].Marker, 0xE0) << "JFIF wants its APP0 segment right after the start";
    EXPECT_EQ(std::string(segments[1].Payload.begin(), segments[1].Payload.begin() + 5), std::string("JFIF\0", 5));

    for (const TSegment& segment : segments) { // every frame type but baseline
        const unsigned char m = segment.Marker;
        EXPECT_FALSE(m >= 0xC1 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC)
            << "frame marker 0x" << std::hex << int(m);
    }
    const TSegment* frame = Find(segments, 0xC0);
    ASSERT_NE(frame, nullptr);
    const TBytes& sof = frame->Payload;
    ASSERT_GE(sof.size(), 6u);
    EXPECT_EQ(sof[0], 8);                 // sample precision
    EXPECT_EQ(sof[1] << 8 | sof[2], 60);  // lines
    EXPECT_EQ(sof[3] << 8 | sof[4], 150); // samples per line
    EXPECT_EQ(sof[5], 3);                 // components
}

TEST(SplashPicture, DecodesToItsNaturalSizeAndShowsALogo)
{
    const QImage image = TJpegDecoder::Decode(TSplashPicture::Bytes());
    EXPECT_EQ(image.width(), 150);
    EXPECT_EQ(image.height(), 60);
    EXPECT_EQ(image.format(), QImage::Format_RGB888);

    // Not a blank or single-colour picture: light background, dark drawing.
    int light = 0, dark = 0;
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            colours.insert(pixel);
            light += qGray(pixel) > 230;
            dark += qGray(pixel) < 100;
        }
    EXPECT_GT(light, 150 * 60 / 2);
    EXPECT_GT(dark, 300);
    EXPECT_GT(colours.size(), 50u);
}

// Where in the splash picture a mutation takes place.
size_t OffsetOf(const TBytes& data, unsigned char marker)
{
    for (const TSegment& segment : Segments(data))
        if (segment.Marker == marker)
            return segment.Offset;
    ADD_FAILURE() << "no marker 0x" << std::hex << int(marker);
    return 0;
}

size_t EndOfScanHeader(const TBytes& data)
{
    const size_t sos = OffsetOf(data, 0xDA);
    return sos + 2 + (static_cast<size_t>(data[sos + 2]) << 8 | data[sos + 3]);
}

struct TRefusal {
    const char* Name;
    std::function<TBytes(TBytes)> Damage;
    const char* Reason; // part of the message; nullptr: any reason
};

void PrintTo(const TRefusal& refusal, std::ostream* out)
{
    *out << refusal.Name;
}

const TRefusal Refusals[] = {
    {"Empty", [](TBytes) { return TBytes{}; }, nullptr},
    {"NotAJpeg", [](TBytes) { return TBytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}; }, "Not a JPEG file"},
    {"CutInTheMiddleOfTheScan",
     [](TBytes data) {
         data.resize(EndOfScanHeader(data) + (data.size() - EndOfScanHeader(data)) / 2);
         return data;
     },
     "Premature end"},
    {"CutRightAfterTheScanHeader",
     [](TBytes data) {
         data.resize(EndOfScanHeader(data));
         return data;
     },
     "Premature end"},
    {"EndMarkerMissing",
     [](TBytes data) {
         data.resize(data.size() - 2);
         return data;
     },
     "Premature end"},
    {"CutInsideTheHeaders",
     [](TBytes data) {
         data.resize(OffsetOf(data, 0xC0) + 5);
         return data;
     },
     nullptr},
    // Stray bytes in front of a marker: libjpeg only warns.
    {"GarbageBeforeTheEndMarker",
     [](TBytes data) {
         data.insert(data.end() - 2, {0x12, 0x34, 0x56});
         return data;
     },
     "Corrupt JPEG data"},
    {"ZeroWidth",
     [](TBytes data) {
         const size_t sof = OffsetOf(data, 0xC0);
         data[sof + 7] = data[sof + 8] = 0;
         return data;
     },
     nullptr},
    {"TwelveBitSamples",
     [](TBytes data) {
         data[OffsetOf(data, 0xC0) + 4] = 12;
         return data;
     },
     nullptr},
    // A few bytes that claim a picture of 60 000 x 60 000: refused before any
    // pixel memory is taken.
    {"HugeDimensions",
     [](TBytes data) {
         const size_t sof = OffsetOf(data, 0xC0);
         data[sof + 5] = data[sof + 7] = 60000 >> 8;
         data[sof + 6] = data[sof + 8] = 60000 & 0xFF;
         return data;
     },
     "unsupported picture of 60000 x 60000"},
};

class JpegRefusal : public ::testing::TestWithParam<TRefusal> {};

TEST_P(JpegRefusal, RaisesAnErrorNamingTheProblem)
{
    const TBytes damaged = GetParam().Damage(Splash());
    try {
        const QImage image = TJpegDecoder::Decode(damaged);
        FAIL() << "decoded to " << image.width() << " x " << image.height();
    } catch (const EJpegError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind("Cannot decode picture: ", 0), 0u) << message;
        EXPECT_GT(message.size(), std::string("Cannot decode picture: ").size());
        if (GetParam().Reason) {
            EXPECT_NE(message.find(GetParam().Reason), std::string::npos) << message;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Update, JpegRefusal, ::testing::ValuesIn(Refusals),
                         [](const auto& info) { return std::string(info.param.Name); });

// An error in one picture must not leak into the next decoding.
TEST(JpegDecoder, DecodesCleanlyAfterARefusal)
{
    TBytes cut = Splash();
    cut.resize(cut.size() / 2);
    EXPECT_THROW(TJpegDecoder::Decode(cut), EJpegError);
    EXPECT_EQ(TJpegDecoder::Decode(TSplashPicture::Bytes()).size(), QSize(150, 60));
}

} // namespace
