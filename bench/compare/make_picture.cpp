// Draws a photo-like picture (soft gradients, shapes with edges, fine grain)
// as a binary PPM on standard output, so that the comparison needs no
// picture files and no image program beyond cjpeg.
//
//   make_picture WIDTH HEIGHT SEED > picture.ppm
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

uint32_t Next(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

uint8_t Clamp(double v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_picture WIDTH HEIGHT SEED\n");
        return 2;
    }
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    uint32_t state = uint32_t(std::atoi(argv[3])) * 2654435761u + 1;
    if (width <= 0 || height <= 0 || width > 20000 || height > 20000) return 2;
    struct Disc {
        double x, y, r, red, green, blue;
    };
    std::vector<Disc> discs;
    for (int i = 0; i < 24; ++i) {
        discs.push_back({double(Next(state) % width), double(Next(state) % height),
                         double(width) / 30 + Next(state) % (width / 8 + 1), double(Next(state) % 256),
                         double(Next(state) % 256), double(Next(state) % 256)});
    }
    std::printf("P6\n%d %d\n255\n", width, height);
    std::vector<uint8_t> row(size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            double r = 90 + 120 * v + 20 * std::sin(u * 9), g = 140 - 60 * v + 25 * std::sin(v * 7 + u * 3),
                   b = 200 - 120 * v;
            for (const Disc& d : discs) {
                const double dx = x - d.x, dy = y - d.y;
                if (dx * dx + dy * dy < d.r * d.r) {
                    r = (r + d.red) / 2;
                    g = (g + d.green) / 2;
                    b = (b + d.blue) / 2;
                }
            }
            const double grain = double(int(Next(state) % 25) - 12);
            row[size_t(x) * 3] = Clamp(r + grain);
            row[size_t(x) * 3 + 1] = Clamp(g + grain);
            row[size_t(x) * 3 + 2] = Clamp(b + grain);
        }
        std::fwrite(row.data(), 1, row.size(), stdout);
    }
    return 0;
}
