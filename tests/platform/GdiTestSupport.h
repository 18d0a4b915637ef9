#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Colour.h"
#include "platform/gdi/DeviceContext.h"

// Pixel probes shown as rows of characters, one character per pixel, so
// that expected drawings read as pictures in the tests.
inline std::vector<std::string> Picture(const Bitmap& bitmap,
                                        const std::map<uint32_t, char>& legend) {
    std::vector<std::string> rows;
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
        std::string row;
        for (int32_t x = 0; x < bitmap.Width(); ++x) {
            auto it = legend.find(bitmap.Value(x, y));
            row += it == legend.end() ? '?' : it->second;
        }
        rows.push_back(row);
    }
    return rows;
}

// A 32-bit bitmap filled with one colour, selected into its own context.
struct Canvas {
    Canvas(int32_t width, int32_t height, COLORREF fill = RGB(255, 255, 255))
        : bitmap(CreateImageBitmap(nullptr, width, height, 32)) {
        dc.SelectObject(bitmap.get());
        dc.FillSolidRect({0, 0, width, height}, fill);
    }
    std::vector<std::string> Show(const std::map<uint32_t, char>& legend) const {
        return Picture(*bitmap, legend);
    }

    std::unique_ptr<Bitmap> bitmap;
    DeviceContext dc;
};

constexpr uint32_t WHITE_PIXEL = 0x00FFFFFF;
constexpr uint32_t BLACK_PIXEL = 0x00000000;
