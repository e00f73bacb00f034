// Writes the program's logo, the resource "KVLOGO": a 273 x 60 Windows
// bitmap at 24 bits per pixel (file header, 40-byte information header,
// bottom-up rows padded to 4 bytes). The design is drawn here in code: the
// word "KESTROVA" in a blocky 5 x 7 letter grid beside a stack of three
// offset pages, the program's subject, in orange and grey on light grey.
//
//   make-logo <file>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int Width = 273;
constexpr int Height = 60;

struct TRgb {
    std::uint8_t R, G, B;
};

constexpr TRgb Background{238, 238, 238};
constexpr TRgb Orange{255, 102, 0};
constexpr TRgb Grey{100, 100, 100};
constexpr TRgb White{255, 255, 255};

class TPicture {
public:
    TPicture() : FPixels(Width * Height, Background) {}
    void Fill(int x, int y, int w, int h, TRgb c)
    {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                if (i >= 0 && i < Width && j >= 0 && j < Height)
                    FPixels[static_cast<std::size_t>(j * Width + i)] = c;
    }
    void Frame(int x, int y, int w, int h, TRgb c)
    {
        Fill(x, y, w, 1, c);
        Fill(x, y + h - 1, w, 1, c);
        Fill(x, y, 1, h, c);
        Fill(x + w - 1, y, 1, h, c);
    }
    std::vector<std::uint8_t> Bmp() const
    {
        const std::uint32_t stride = (Width * 3 + 3) / 4 * 4;
        const std::uint32_t imageSize = stride * Height;
        std::vector<std::uint8_t> out;
        auto u16 = [&](std::uint32_t v) {
            out.push_back(static_cast<std::uint8_t>(v));
            out.push_back(static_cast<std::uint8_t>(v >> 8));
        };
        auto u32 = [&](std::uint32_t v) {
            u16(v & 0xFFFF);
            u16(v >> 16);
        };
        out.push_back('B');
        out.push_back('M');
        u32(54 + imageSize);
        u32(0);
        u32(54);
        u32(40);
        u32(Width);
        u32(Height);
        u16(1);
        u16(24);
        u32(0);
        u32(imageSize);
        u32(2835);  // 72 DPI
        u32(2835);
        u32(0);
        u32(0);
        for (int y = Height - 1; y >= 0; --y) {
            for (int x = 0; x < Width; ++x) {
                TRgb c = FPixels[static_cast<std::size_t>(y * Width + x)];
                out.push_back(c.B);
                out.push_back(c.G);
                out.push_back(c.R);
            }
            for (std::uint32_t pad = Width * 3; pad < stride; ++pad)
                out.push_back(0);
        }
        return out;
    }

private:
    std::vector<TRgb> FPixels;
};

// 5 x 7 letter shapes, one string per row, '#' set.
const char* const Letters[][7] = {
    {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"},  // K
    {"#####", "#....", "#....", "####.", "#....", "#....", "#####"},  // E
    {".####", "#....", "#....", ".###.", "....#", "....#", "####."},  // S
    {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."},  // T
    {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"},  // R
    {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},  // O
    {"#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."},  // V
    {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"},  // A
};

void DrawPages(TPicture& p)
{
    // Three sheets, each offset down and right: a multi-page TIFF.
    for (int i = 0; i < 3; ++i) {
        int x = 8 + 7 * i, y = 6 + 6 * i;
        p.Fill(x, y, 30, 36, White);
        p.Frame(x, y, 30, 36, Grey);
    }
    // Tag lines on the front sheet, the first one orange.
    for (int row = 0; row < 5; ++row)
        p.Fill(27, 24 + 5 * row, row == 0 ? 14 : 20 - 2 * row, 2, row == 0 ? Orange : Grey);
}

void DrawWord(TPicture& p)
{
    const int cell = 4;  // pixels per grid dot
    int x = 66;
    for (const auto& letter : Letters) {
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (letter[row][col] == '#')
                    p.Fill(x + col * cell, 12 + row * cell, cell, cell, Grey);
        x += 6 * cell;
    }
    // The underline bar in the heading colour of the pages.
    p.Fill(66, 45, x - 66 - cell, 3, Orange);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-logo FILE.bmp\n");
        return 2;
    }
    TPicture picture;
    DrawPages(picture);
    DrawWord(picture);
    std::vector<std::uint8_t> bytes = picture.Bmp();
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f)) {
        std::fprintf(stderr, "make-logo: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
