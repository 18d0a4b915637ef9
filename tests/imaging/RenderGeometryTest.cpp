#include <gtest/gtest.h>

#include "imaging/RenderGeometry.h"

namespace {

TEST(RenderGeometryTest, RotationRule) {
    const struct {
        int32_t tw, th;
        uint32_t iw, ih, flags;
        bool turned;
    } cases[] = {
        {240, 320, 1600, 1200, 0, true},
        {320, 240, 1200, 1600, 0, true},
        {240, 320, 1600, 1200, RENDER_NO_ROTATE, false},
        {240, 320, 1200, 1600, 0, false},
        {320, 240, 1600, 1200, 0, false},
        {240, 320, 1000, 1000, 0, false},  // square image
        {300, 300, 1600, 1200, 0, false},  // square target
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.turned, ShouldRotate(c.tw, c.th, c.iw, c.ih, c.flags))
            << c.tw << "x" << c.th << " " << c.iw << "x" << c.ih;
}

TEST(RenderGeometryTest, ScaleChoice) {
    const struct {
        uint32_t w, h;
        int32_t dw, dh;
        uint8_t shift;
    } cases[] = {
        {1200, 1600, 240, 320, 2},  // s = 3 fits smaller both ways -> 2
        {1600, 1200, 240, 320, 2},
        {1920, 2560, 240, 320, 3},  // exact fit at 1/8 stays
        {480, 640, 240, 320, 1},    // exact fit at 1/2 stays
        {100, 50, 240, 320, 0},     // small pictures are decoded whole
        {8000, 6000, 96, 96, 3},    // nothing fits: 1/8
        {160, 120, 96, 96, 0},      // 1/2 is smaller both ways -> 1/1
        {500, 200, 250, 320, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.shift, ChooseScaleShift(c.w, c.h, c.dw, c.dh)) << c.w << "x" << c.h;
}

TEST(RenderGeometryTest, FitRectangle) {
    const struct {
        Rect target;
        uint32_t w, h;
        Rect fit;
    } cases[] = {
        {{0, 0, 240, 320}, 1200, 1600, {0, 0, 240, 320}},
        {{0, 0, 240, 320}, 1600, 1200, {0, 70, 240, 250}},
        {{10, 20, 250, 340}, 1600, 1200, {10, 90, 250, 270}},
        {{0, 0, 240, 320}, 100, 50, {0, 100, 240, 220}},  // enlarged
        {{0, 0, 60, 45}, 96, 72, {0, 0, 60, 45}},
        {{0, 0, 96, 96}, 120, 160, {12, 0, 84, 96}},
        {{0, 0, 240, 320}, 65535, 1, {0, 159, 240, 160}},  // at least one pixel
        {{5, 5, 245, 325}, 0, 10, {5, 5, 5, 5}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.fit, FitRect(c.target, c.w, c.h)) << c.w << "x" << c.h;
}

TEST(RenderGeometryTest, PlansOfRequests) {
    const struct {
        const char* name;
        Rect target;
        uint32_t flags, iw, ih;
        bool embedded;
        uint32_t planFlags;
        Size decode;
        uint8_t useEmbedded, shift, rotation;
        uint32_t w, h;
        Rect fit;
    } cases[] = {
        {"slide, turned", {0, 0, 240, 320}, 0, 1600, 1200, false,
         0, {240, 320}, 0, 2, 1, 1200, 1600, {0, 0, 240, 320}},
        {"no rotate", {0, 0, 240, 320}, RENDER_NO_ROTATE, 1600, 1200, false,
         RENDER_NO_ROTATE, {240, 320}, 0, 2, 0, 1600, 1200, {0, 70, 240, 250}},
        {"square image", {0, 0, 240, 320}, 0, 1000, 1000, false,
         0, {240, 320}, 0, 2, 0, 1000, 1000, {0, 40, 240, 280}},
        {"thumbnail 60x45 to store", {0, 0, 60, 45}, RENDER_NO_ROTATE | RENDER_STORE_THUMBNAIL,
         1600, 1200, false, RENDER_NO_ROTATE | RENDER_STORE_THUMBNAIL, {96, 96}, 0, 3, 0, 1600,
         1200, {0, 0, 60, 45}},
        {"thumbnail from EXIF", {0, 0, 60, 45}, RENDER_NO_ROTATE | RENDER_STORE_THUMBNAIL,
         1600, 1200, true, RENDER_NO_ROTATE | RENDER_STORE_THUMBNAIL, {96, 96}, 1, 0, 0, 160,
         120, {0, 0, 60, 45}},
        {"EXIF thumbnail turned", {0, 0, 120, 160}, 0, 1600, 1200, true,
         0, {120, 160}, 1, 0, 1, 120, 160, {0, 0, 120, 160}},
        {"too big to store", {0, 0, 97, 80}, RENDER_STORE_THUMBNAIL, 1600, 1200, true,
         0, {97, 80}, 1, 0, 0, 160, 120, {0, 3, 97, 76}},
        {"too big for EXIF", {0, 0, 161, 100}, RENDER_NO_ROTATE, 1600, 1200, true,
         RENDER_NO_ROTATE, {161, 100}, 0, 3, 0, 1600, 1200, {14, 0, 147, 100}},
        {"small picture", {0, 0, 240, 320}, 0, 100, 50, false,
         0, {240, 320}, 0, 0, 1, 50, 100, {40, 0, 200, 320}},
    };
    for (const auto& c : cases) {
        const RenderPlan plan = PlanRender(c.target, c.flags, c.iw, c.ih, c.embedded);
        EXPECT_EQ(c.planFlags, plan.flags) << c.name;
        EXPECT_EQ(c.decode, plan.decodeTarget) << c.name;
        EXPECT_EQ(c.useEmbedded, plan.setup.useEmbeddedThumbnail) << c.name;
        EXPECT_EQ(c.shift, plan.setup.scaleShift) << c.name;
        EXPECT_EQ(c.rotation, plan.setup.rotation) << c.name;
        EXPECT_EQ(c.w, plan.pictureWidth) << c.name;
        EXPECT_EQ(c.h, plan.pictureHeight) << c.name;
        EXPECT_EQ(c.fit, plan.fit) << c.name;
    }
}

}  // namespace
