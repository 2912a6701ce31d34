// Build-time generator of the update program's splash picture: renders our
// "Quenfir Volumnia" logo (an open book beside the two words) into a 150 x 60
// RGB raster, encodes it as a baseline JFIF JPEG with libjpeg and writes it as
// a C++ source file holding the bytes, so the program carries the picture
// without reading any file at run time.
//
// Everything is drawn from the shapes below (polygons and a 5 x 7 pixel font
// of our own) with 4 x 4 supersampling; no system font is involved, so the
// picture is the same on every build machine.
//
// Usage: splash_generator <output.cpp> [<output.jpg>]
#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h> // needs size_t and FILE declared first

namespace {

constexpr int Width = 150;
constexpr int Height = 60;
constexpr int Samples = 4; // supersampling per axis
constexpr int Quality = 92;

struct TColour {
    double R, G, B;
};

struct TPoint {
    double X, Y;
};

// A filled polygon (even-odd rule, so concave outlines work) in one colour.
struct TShape {
    std::vector<TPoint> Outline;
    TColour Colour;

    bool Contains(double x, double y) const
    {
        bool inside = false;
        for (size_t i = 0, j = Outline.size() - 1; i < Outline.size(); j = i++) {
            const TPoint& a = Outline[i];
            const TPoint& b = Outline[j];
            if ((a.Y > y) != (b.Y > y) && x < (b.X - a.X) * (y - a.Y) / (b.Y - a.Y) + a.X)
                inside = !inside;
        }
        return inside;
    }
};

const TColour Paper{255, 255, 255};
const TColour Navy{28, 48, 104};
const TColour Page{250, 245, 228};
const TColour Ink{150, 150, 160};
const TColour Ribbon{178, 32, 44};
const TColour Grey{96, 96, 104};

TShape Rectangle(double left, double top, double width, double height, TColour colour)
{
    return {{{left, top}, {left + width, top}, {left + width, top + height}, {left, top + height}}, colour};
}

// The letters of the logo, 5 columns by 7 rows each.
struct TGlyph {
    char Letter;
    std::array<const char*, 7> Rows;
};

const std::array<TGlyph, 12> Font{{
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
}};

const TGlyph& GlyphFor(char letter)
{
    for (const TGlyph& glyph : Font)
        if (glyph.Letter == letter)
            return glyph;
    std::fprintf(stderr, "splash_generator: no glyph for '%c'\n", letter);
    std::exit(1);
}

// One square a set pixel of the font, scaled; letters advance by 6 cells.
// A bold weight widens every square to the right.
void AddText(std::vector<TShape>& shapes, const std::string& text, double left, double top, double cell, double bold,
             TColour colour)
{
    for (size_t n = 0; n < text.size(); ++n) {
        const TGlyph& glyph = GlyphFor(text[n]);
        const double x0 = left + static_cast<double>(n) * 6 * cell;
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 5; ++column)
                if (glyph.Rows[static_cast<size_t>(row)][column] == '#')
                    shapes.push_back(Rectangle(x0 + column * cell, top + row * cell, cell + bold, cell, colour));
    }
}

// A page of the open book: it sinks 4 pixels towards the spine, its top edge
// bowing upwards and its bottom edge downwards on the way.
TShape BookPage(double outer, double inner, double top, double bottom, TColour colour)
{
    std::vector<TPoint> outline;
    const int steps = 12;
    for (int i = 0; i <= steps; ++i) { // top edge, outer to inner
        const double t = static_cast<double>(i) / steps;
        outline.push_back({outer + (inner - outer) * t, top + 4 * t - 10 * t * (1 - t)});
    }
    for (int i = 0; i <= steps; ++i) { // bottom edge, inner to outer
        const double t = static_cast<double>(i) / steps;
        outline.push_back({inner + (outer - inner) * t, bottom + 4 * (1 - t) + 4 * t * (1 - t)});
    }
    return {outline, colour};
}

std::vector<TShape> Logo()
{
    std::vector<TShape> shapes;
    // The cover behind the pages, dipping at the spine.
    shapes.push_back({{{5, 20}, {28, 25}, {51, 20}, {51, 49}, {28, 54}, {5, 49}}, Navy});
    shapes.push_back(BookPage(8, 27, 15, 46, Page));
    shapes.push_back(BookPage(48, 29, 15, 46, Page));
    // Lines of print on both pages, following the slope of the page tops.
    for (int line = 0; line < 6; ++line) {
        const double y = 23 + line * 4.0;
        shapes.push_back({{{11, y}, {24, y + 2.4}, {24, y + 3.3}, {11, y + 0.9}}, Ink});
        shapes.push_back({{{45, y}, {32, y + 2.4}, {32, y + 3.3}, {45, y + 0.9}}, Ink});
    }
    // The bookmark ribbon hanging from the spine.
    shapes.push_back({{{26.6, 48}, {30.4, 48}, {30.4, 58}, {28.5, 55.8}, {26.6, 58}}, Ribbon});

    AddText(shapes, "QUENFIR", 58, 11, 1.2, 0.3, Grey);
    AddText(shapes, "VOLUMNIA", 58, 25, 1.75, 0.8, Navy);
    shapes.push_back(Rectangle(58, 43, 82, 1.5, Ribbon));
    return shapes;
}

std::vector<unsigned char> Render(const std::vector<TShape>& shapes)
{
    std::vector<unsigned char> rgb(static_cast<size_t>(Width) * Height * 3);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            TColour sum{0, 0, 0};
            for (int sy = 0; sy < Samples; ++sy)
                for (int sx = 0; sx < Samples; ++sx) {
                    const double px = x + (sx + 0.5) / Samples;
                    const double py = y + (sy + 0.5) / Samples;
                    TColour colour = Paper;
                    for (const TShape& shape : shapes) // later shapes lie on top
                        if (shape.Contains(px, py))
                            colour = shape.Colour;
                    sum.R += colour.R;
                    sum.G += colour.G;
                    sum.B += colour.B;
                }
            const double n = Samples * Samples;
            unsigned char* pixel = &rgb[(static_cast<size_t>(y) * Width + x) * 3];
            pixel[0] = static_cast<unsigned char>(sum.R / n + 0.5);
            pixel[1] = static_cast<unsigned char>(sum.G / n + 0.5);
            pixel[2] = static_cast<unsigned char>(sum.B / n + 0.5);
        }
    return rgb;
}

// Baseline, JFIF, 8-bit, three components: what jpeg_set_defaults gives for
// RGB input; the quality tables are forced into the baseline range.
std::vector<unsigned char> Encode(std::vector<unsigned char>& rgb)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr error{};
    cinfo.err = jpeg_std_error(&error); // a failure here ends the build tool, which is what we want
    jpeg_create_compress(&cinfo);

    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = Width;
    cinfo.image_height = Height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, Quality, TRUE);
    cinfo.write_JFIF_header = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = &rgb[static_cast<size_t>(cinfo.next_scanline) * Width * 3];
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<unsigned char> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return bytes;
}

std::string AsSource(const std::vector<unsigned char>& bytes)
{
    std::string text = "// Generated by splash_generator at build time; do not edit.\n"
                       "#include \"update/SplashPicture.h\"\n\n"
                       "const unsigned char TSplashPicture::Data[] = {";
    char number[8];
    for (size_t i = 0; i < bytes.size(); ++i) {
        text += i % 16 == 0 ? "\n    " : " ";
        std::snprintf(number, sizeof number, "0x%02x,", bytes[i]);
        text += number;
    }
    text += "\n};\n\nconst std::size_t TSplashPicture::Size = " + std::to_string(bytes.size()) + ";\n";
    return text;
}

bool WriteFile(const char* path, const char* data, size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(data, static_cast<std::streamsize>(size));
    file.close();
    if (!file) {
        std::fprintf(stderr, "splash_generator: cannot write %s\n", path);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: splash_generator <output.cpp> [<output.jpg>]\n");
        return 2;
    }
    std::vector<unsigned char> rgb = Render(Logo());
    const std::vector<unsigned char> jpeg = Encode(rgb);
    const std::string source = AsSource(jpeg);
    if (!WriteFile(argv[1], source.data(), source.size()))
        return 1;
    if (argc == 3 && !WriteFile(argv[2], reinterpret_cast<const char*>(jpeg.data()), jpeg.size()))
        return 1;
    return 0;
}
