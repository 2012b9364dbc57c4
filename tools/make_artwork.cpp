// make_artwork LOGO.png ICON.ico
//
// Draws the installer's own artwork: the 250 x 35 logo (an emblem of touch
// rings and the company's name in block letters, on a transparent ground) and
// the application icon (the emblem at 32 x 32 and 16 x 16). Everything is
// computed, so the files are the same on every machine without committing
// binaries. The PNG uses stored (uncompressed) deflate blocks: no zlib needed.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgba {
    uint8_t R, G, B, A;
};

struct Image {
    int Width;
    int Height;
    std::vector<Rgba> Pixels;  // row by row, top first

    Image(int width, int height) : Width(width), Height(height), Pixels(size_t(width) * height, Rgba{0, 0, 0, 0}) {}
    Rgba& At(int x, int y) { return Pixels[size_t(y) * Width + x]; }
};

constexpr Rgba kBlue{0x27, 0xa0, 0xfd, 0xff};
constexpr Rgba kWhite{0xff, 0xff, 0xff, 0xff};

// Paints `color` over the pixel with coverage `cover` (0..1), "over" blending.
void Blend(Rgba& pixel, Rgba color, double cover) {
    const double a = cover * color.A / 255.0;
    const double under = pixel.A / 255.0 * (1.0 - a);
    const double out = a + under;
    if (out <= 0.0)
        return;
    auto mix = [&](uint8_t top, uint8_t bottom) {
        return static_cast<uint8_t>(std::lround((top * a + bottom * under) / out));
    };
    pixel = {mix(color.R, pixel.R), mix(color.G, pixel.G), mix(color.B, pixel.B),
             static_cast<uint8_t>(std::lround(out * 255.0))};
}

// Fills the ring between radii `inner` and `outer` around (cx, cy), with 4 x 4
// samples per pixel for smooth edges. inner = 0 gives a disc.
void Ring(Image& image, double cx, double cy, double inner, double outer, Rgba color) {
    for (int y = 0; y < image.Height; ++y) {
        for (int x = 0; x < image.Width; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    const double d = std::hypot(x + (sx + 0.5) / 4 - cx, y + (sy + 0.5) / 4 - cy);
                    hits += d >= inner && d < outer;
                }
            }
            if (hits)
                Blend(image.At(x, y), color, hits / 16.0);
        }
    }
}

// The emblem: a blue disc with a white ring, a blue centre and a white dot,
// like a fingertip's touch spreading on a panel.
void Emblem(Image& image, double cx, double cy, double radius) {
    Ring(image, cx, cy, 0, radius, kBlue);
    Ring(image, cx, cy, radius * 0.50, radius * 0.68, kWhite);
    Ring(image, cx, cy, 0, radius * 0.18, kWhite);
}

// 5 x 7 block letters, one string per row, '#' set.
struct Glyph {
    char Letter;
    std::array<const char*, 7> Rows;
};

const Glyph kGlyphs[] = {
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
};

const Glyph* FindGlyph(char letter) {
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.Letter == letter)
            return &glyph;
    }
    return nullptr;
}

// Draws `text` with its top left at (left, top), each glyph cell `scale` pixels.
void Word(Image& image, const std::string& text, int left, int top, int scale, Rgba color) {
    for (char letter : text) {
        if (const Glyph* glyph = FindGlyph(letter)) {
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (glyph->Rows[row][col] == '#')
                        for (int dy = 0; dy < scale; ++dy)
                            for (int dx = 0; dx < scale; ++dx)
                                image.At(left + col * scale + dx, top + row * scale + dy) = color;
        }
        left += 6 * scale;
    }
}

// --- PNG -----------------------------------------------------------------

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t Adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void PutBig32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutLittle(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void Chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    PutBig32(png, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    PutBig32(png, Crc32(body.data(), body.size()));
}

// zlib stream of stored deflate blocks (at most 65535 bytes each).
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t size = std::min<size_t>(65535, raw.size() - at);
        out.push_back(at + size == raw.size() ? 1 : 0);
        PutLittle(out, static_cast<uint32_t>(size), 2);
        PutLittle(out, static_cast<uint32_t>(~size & 0xffff), 2);
        out.insert(out.end(), raw.begin() + at, raw.begin() + at + size);
        at += size;
    } while (at < raw.size());
    PutBig32(out, Adler32(raw));
    return out;
}

std::vector<uint8_t> EncodePng(const Image& image) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> header;
    PutBig32(header, image.Width);
    PutBig32(header, image.Height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
    Chunk(png, "IHDR", header);
    std::vector<uint8_t> raw;
    for (int y = 0; y < image.Height; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < image.Width; ++x) {
            const Rgba& p = image.Pixels[size_t(y) * image.Width + x];
            raw.insert(raw.end(), {p.R, p.G, p.B, p.A});
        }
    }
    Chunk(png, "IDAT", StoredZlib(raw));
    Chunk(png, "IEND", {});
    return png;
}

// --- ICO -----------------------------------------------------------------

// One icon image: BITMAPINFOHEADER (height doubled for the mask), 32-bit BGRA
// rows bottom first, then an all-clear AND mask (the alpha channel rules).
std::vector<uint8_t> IconImage(const Image& image) {
    std::vector<uint8_t> out;
    const uint32_t maskStride = ((image.Width + 31) / 32) * 4;
    PutLittle(out, 40, 4);
    PutLittle(out, image.Width, 4);
    PutLittle(out, image.Height * 2, 4);
    PutLittle(out, 1, 2);
    PutLittle(out, 32, 2);
    PutLittle(out, 0, 4);
    PutLittle(out, image.Width * image.Height * 4 + maskStride * image.Height, 4);
    for (int i = 0; i < 4; ++i)
        PutLittle(out, 0, 4);
    for (int y = image.Height - 1; y >= 0; --y) {
        for (int x = 0; x < image.Width; ++x) {
            const Rgba& p = image.Pixels[size_t(y) * image.Width + x];
            out.insert(out.end(), {p.B, p.G, p.R, p.A});
        }
    }
    out.insert(out.end(), size_t(maskStride) * image.Height, 0);
    return out;
}

std::vector<uint8_t> EncodeIco(const std::vector<Image>& images) {
    std::vector<uint8_t> ico;
    PutLittle(ico, 0, 2);
    PutLittle(ico, 1, 2);
    PutLittle(ico, static_cast<uint32_t>(images.size()), 2);
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    std::vector<uint8_t> bodies;
    for (const Image& image : images) {
        const std::vector<uint8_t> body = IconImage(image);
        ico.insert(ico.end(), {uint8_t(image.Width), uint8_t(image.Height), 0, 0});
        PutLittle(ico, 1, 2);
        PutLittle(ico, 32, 2);
        PutLittle(ico, static_cast<uint32_t>(body.size()), 4);
        PutLittle(ico, offset, 4);
        offset += static_cast<uint32_t>(body.size());
        bodies.insert(bodies.end(), body.begin(), body.end());
    }
    ico.insert(ico.end(), bodies.begin(), bodies.end());
    return ico;
}

bool WriteFile(const char* path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

Image Logo() {
    Image logo(250, 35);
    Emblem(logo, 17.5, 17.5, 16.5);
    Word(logo, "ZORVANELLE", 44, 7, 3, kWhite);
    return logo;
}

Image Icon(int size) {
    Image icon(size, size);
    Emblem(icon, size / 2.0, size / 2.0, size / 2.0);
    return icon;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_artwork LOGO.png ICON.ico\n");
        return 2;
    }
    if (!WriteFile(argv[1], EncodePng(Logo())) || !WriteFile(argv[2], EncodeIco({Icon(32), Icon(16)}))) {
        std::fprintf(stderr, "make_artwork: cannot write the artwork\n");
        return 1;
    }
    return 0;
}
