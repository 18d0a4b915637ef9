// kvassets: writes what an installed program needs besides its binaries:
// the desktop entry, and the program's icon as PNG files of the sizes a
// desktop asks for, scaled from the icon the program draws itself.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Icons.h"
#include "platform/base/AtomicWrite.h"
#include "platform/png/PngWriter.h"
#include "sharing/DesktopJpegViewer.h"

namespace {

constexpr int SAMPLES = 4;  // per side, for each target pixel

// The icon scaled to side x side: each pixel averages SAMPLES x SAMPLES
// points of the source, with the key colour transparent, so edges are
// soft at sizes that are not whole multiples.
std::vector<uint32_t> Scaled(const Bitmap& icon, int side) {
    std::vector<uint32_t> out(size_t(side) * size_t(side));
    const uint32_t key = PixelFromColour(PROGRAM_ICON_KEY_COLOUR);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            uint32_t r = 0, g = 0, b = 0, opaque = 0;
            for (int sy = 0; sy < SAMPLES; ++sy) {
                for (int sx = 0; sx < SAMPLES; ++sx) {
                    const int u = ((x * SAMPLES + sx) * 2 + 1) * icon.Width() / (2 * side * SAMPLES);
                    const int v = ((y * SAMPLES + sy) * 2 + 1) * icon.Height() / (2 * side * SAMPLES);
                    const uint32_t p = icon.Row(v)[u] & 0xFFFFFF;
                    if (p == key) continue;
                    r += p >> 16 & 0xFF;
                    g += p >> 8 & 0xFF;
                    b += p & 0xFF;
                    ++opaque;
                }
            }
            if (opaque == 0) continue;
            const uint32_t alpha = opaque * 255 / (SAMPLES * SAMPLES);
            out[size_t(y) * side + x] = alpha << 24 | (r / opaque) << 16 | (g / opaque) << 8 | b / opaque;
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: kvassets FOLDER SIZE...\n");
        return 2;
    }
    // Installed, the program is found on PATH.
    const std::string entry = std::string(argv[1]) + "/" + DESKTOP_ENTRY_NAME;
    if (ReplaceHostFile(entry, DesktopEntryText("kestrelview")) != 0) {
        std::fprintf(stderr, "kvassets: cannot write %s\n", entry.c_str());
        return 1;
    }
    const auto icon = MakeProgramIcon();
    if (!icon) return 1;
    for (int i = 2; i < argc; ++i) {
        const int side = std::atoi(argv[i]);
        if (side <= 0 || side > 1024) return 2;
        const std::vector<uint32_t> pixels = Scaled(*icon, side);
        const std::string path = std::string(argv[1]) + "/kestrelview-" + argv[i] + ".png";
        if (WritePngWithAlpha(path, pixels.data(), side, side, size_t(side) * 4) != 0) {
            std::fprintf(stderr, "kvassets: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
