#include <gtest/gtest.h>

#include <vector>

#include "platform/framework/CommandTarget.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/ImageStrip.h"
#include "platform/shell/Menu.h"
#include "resources/ResourceBitmaps.h"
#include "resources/ResourceMenus.h"

namespace {

// ---- bitmaps ----------------------------------------------------------------

TEST(ResourceBitmapTest, EachNumberGivesItsSizeAndOthersNone) {
    struct Case {
        UINT id;
        int32_t width, height;
    };
    const Case cases[] = {
        {IDB_LIST_IMAGES, 20, 10}, {IDB_DROP_DOWN, 15, 11}, {IDB_TWO_STATE, 47, 22},
        {IDB_PLACEHOLDER, 48, 48}, {IDB_PLACEHOLDER_SMALL, 36, 36},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Bitmap> bitmap = LoadBitmapResource(c.id);
        ASSERT_NE(bitmap, nullptr) << c.id;
        EXPECT_EQ(bitmap->Width(), c.width) << c.id;
        EXPECT_EQ(bitmap->Height(), c.height) << c.id;
        EXPECT_EQ(bitmap->BitsPerPixel(), 32) << c.id;
    }
    for (UINT none : {0u, 128u, 140u, 156u, 165u, 168u})
        EXPECT_EQ(LoadBitmapResource(none), nullptr) << none;
}

// Draws image `index` of a strip on green and returns the cell's pixels.
std::vector<uint32_t> DrawOnGreen(const ImageStrip& strip, int index, int32_t w, int32_t h) {
    auto target = Bitmap::Create(w, h, 32);
    DeviceContext dc;
    dc.SelectObject(target.get());
    dc.FillSolidRect({0, 0, w, h}, RGB(0, 255, 0));
    EXPECT_TRUE(strip.Draw(dc, index, 0, 0));
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) pixels.push_back(target->Value(x, y));
    return pixels;
}

int Count(const std::vector<uint32_t>& pixels, uint32_t value) {
    return int(std::count(pixels.begin(), pixels.end(), value));
}

TEST(ResourceBitmapTest, StripImagesAreDistinctAndTheirKeyColourStaysTransparent) {
    struct Case {
        UINT id;
        int32_t cellWidth, cellHeight;
        COLORREF key;
    };
    const Case cases[] = {
        {IDB_LIST_IMAGES, LIST_IMAGE_WIDTH, LIST_IMAGE_WIDTH, LIST_IMAGE_MASK},
        {IDB_TWO_STATE, TWO_STATE_CELL_WIDTH, TWO_STATE_CELL_HEIGHT, TWO_STATE_KEY},
    };
    const uint32_t green = PixelFromColour(RGB(0, 255, 0));
    for (const Case& c : cases) {
        ImageStrip strip(LoadBitmapResource(c.id), c.cellWidth, c.cellHeight, 0, 1, c.key);
        const auto first = DrawOnGreen(strip, 0, c.cellWidth, c.cellHeight);
        const auto second = DrawOnGreen(strip, 1, c.cellWidth, c.cellHeight);
        const int cells = c.cellWidth * c.cellHeight;
        // Each image draws something, and leaves some of the ground showing.
        for (const auto* pixels : {&first, &second}) {
            EXPECT_GT(Count(*pixels, green), 0) << c.id;
            EXPECT_LT(Count(*pixels, green), cells * 9 / 10) << c.id;
            EXPECT_EQ(Count(*pixels, PixelFromColour(c.key)), 0) << c.id;
        }
        EXPECT_NE(first, second) << c.id;
    }
}

TEST(ResourceBitmapTest, TwoStateButtonIsAHollowRingOffAndAFilledDiscOn) {
    ImageStrip strip(LoadBitmapResource(IDB_TWO_STATE), TWO_STATE_CELL_WIDTH, TWO_STATE_CELL_HEIGHT, 0, 1,
                     TWO_STATE_KEY);
    const auto off = DrawOnGreen(strip, 0, TWO_STATE_CELL_WIDTH, TWO_STATE_CELL_HEIGHT);
    const auto on = DrawOnGreen(strip, 1, TWO_STATE_CELL_WIDTH, TWO_STATE_CELL_HEIGHT);
    const size_t centre = size_t(TWO_STATE_CELL_HEIGHT / 2) * TWO_STATE_CELL_WIDTH + TWO_STATE_CELL_WIDTH / 2 - 3;
    EXPECT_EQ(off[centre], PixelFromColour(RGB(0, 255, 0)));
    EXPECT_NE(on[centre], PixelFromColour(RGB(0, 255, 0)));
}

// ---- menus ------------------------------------------------------------------

std::vector<UINT> Ids(const Menu& menu) {
    std::vector<UINT> ids;
    for (int i = 0; i < menu.GetItemCount(); ++i) ids.push_back(menu.GetItemId(i));
    return ids;
}

constexpr UINT SUB = 0xFFFFFFFF;

TEST(ResourceMenuTest, EachNumberGivesItsPopupWithItsCommands) {
    struct Case {
        UINT id;
        std::vector<UINT> popup;
    };
    const Case cases[] = {
        {IDM_TOOLS, {32783, 32784, 32892, 0, 32907, 32909, 32910, 0, 32929, 32930, 32902, 0,
                     ID_APP_ABOUT, ID_APP_EXIT}},
        {IDM_CATEGORY, {32846, 32847, 32848}},
        {IDM_DURATION, {32878}},
        {IDM_IMAGE, {32774, 32776, 0, SUB, SUB, 32787, 0, 7, 32901, 32905, 0, 32898, 32899, 32931}},
        {IDM_GRID_CATEGORY, {32847}},
        {IDM_LOCATION, {32926}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Menu> menu = LoadMenuResource(c.id);
        ASSERT_NE(menu, nullptr) << c.id;
        ASSERT_EQ(menu->GetItemCount(), 1) << c.id;
        ASSERT_NE(menu->GetSubMenu(0), nullptr) << c.id;
        EXPECT_EQ(Ids(*menu->GetSubMenu(0)), c.popup) << c.id;
    }
    for (UINT none : {0u, 100u, 131u, 155u, 157u})
        EXPECT_EQ(LoadMenuResource(none), nullptr) << none;
}

TEST(ResourceMenuTest, ImagePopupHoldsLocationAndCategorySubmenusAndEachLoadIsANewCopy) {
    std::unique_ptr<Menu> first = LoadMenuResource(IDM_IMAGE);
    Menu& popup = *first->GetSubMenu(0);
    EXPECT_EQ(popup.GetItemText(IMAGE_MENU_LOCATION_POSITION, MF_BYPOSITION), u"Location");
    EXPECT_EQ(popup.GetItemText(IMAGE_MENU_CATEGORY_POSITION, MF_BYPOSITION), u"Category");
    ASSERT_NE(popup.GetSubMenu(IMAGE_MENU_CATEGORY_POSITION), nullptr);
    EXPECT_EQ(Ids(*popup.GetSubMenu(IMAGE_MENU_CATEGORY_POSITION)), std::vector<UINT>{32847});
    EXPECT_EQ(popup.GetSubMenu(IMAGE_MENU_LOCATION_POSITION)->GetItemCount(), 0);
    // Filling one copy leaves the next load as the resource has it.
    popup.GetSubMenu(IMAGE_MENU_LOCATION_POSITION)->AppendItem(MF_STRING, 5000, u"Internal");
    std::unique_ptr<Menu> second = LoadMenuResource(IDM_IMAGE);
    EXPECT_EQ(second->GetSubMenu(0)->GetSubMenu(IMAGE_MENU_LOCATION_POSITION)->GetItemCount(), 0);
}

}  // namespace
