#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/fonts/DrawText.h"
#include "platform/fonts/Font.h"
#include "platform/png/PngWriter.h"
#include "tests/platform/GdiTestSupport.h"
#include "tests/platform/WindowTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

std::unique_ptr<Font> MakeFont(int32_t height, int weight = FW_NORMAL) {
    std::unique_ptr<Font> font = Font::Create(height, weight);
    EXPECT_NE(font, nullptr) << "DejaVu Sans is needed (fonts-dejavu-core)";
    return font;
}

// Columns that hold at least one pixel other than the background.
struct Ink {
    int32_t left = -1;
    int32_t right = -1;  // exclusive
    int32_t pixels = 0;
    int32_t exact = 0;   // pixels exactly in the text colour
};

Ink FindInk(const Bitmap& b, uint32_t background, uint32_t text) {
    Ink ink;
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x) {
            const uint32_t v = b.Value(x, y);
            if (v == background)
                continue;
            ++ink.pixels;
            ink.exact += v == text;
            ink.left = ink.left < 0 ? x : std::min(ink.left, x);
            ink.right = std::max(ink.right, x + 1);
        }
    return ink;
}

TEST(FontTest, MetricsAddUpAndBoldIsWider) {
    for (int32_t height : {11, 13, 16, 24}) {
        SCOPED_TRACE(height);
        auto font = MakeFont(height);
        ASSERT_NE(font, nullptr);
        const TextMetrics& m = font->Metrics();
        EXPECT_EQ(m.height, height);
        EXPECT_EQ(m.ascent + m.descent, height);
        EXPECT_GT(m.descent, 0);
        EXPECT_GT(m.internalLeading, 0);
        EXPECT_LT(m.internalLeading, height / 3);
        EXPECT_GT(m.averageCharWidth, 0);
    }
    auto regular = MakeFont(16);
    auto bold = MakeFont(16, FW_BOLD);
    ASSERT_TRUE(regular && bold);
    EXPECT_GT(bold->MeasureWidth(u"Kestrelview"), regular->MeasureWidth(u"Kestrelview"));
    // A negative height is the em size: the cell is larger.
    auto em = MakeFont(-16);
    ASSERT_NE(em, nullptr);
    EXPECT_GT(em->Metrics().height, 16);
    EXPECT_EQ(Font::Create(0), nullptr);
    EXPECT_EQ(Font::Create(5000), nullptr);
}

TEST(FontTest, WidthIsTheSumOfTheCharacters) {
    auto font = MakeFont(13);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->MeasureWidth(u""), 0);
    EXPECT_EQ(font->MeasureWidth(u"Wi"), font->MeasureWidth(u"W") + font->MeasureWidth(u"i"));
    EXPECT_GT(font->MeasureWidth(u"W"), font->MeasureWidth(u"i"));
    EXPECT_EQ(font->MeasureText(u"abc").cy, 13);
    // A surrogate pair is one character, a lone surrogate one replacement.
    EXPECT_EQ(CodePoints(u"a\U0001F600").size(), 2u);
    EXPECT_EQ(CodePoints(std::u16string(1, char16_t(0xD800))), std::vector<char32_t>{0xFFFD});
}

TEST(CutWithEllipsisTest, KeepsTheLongestHeadThatFitsWithTheDots) {
    auto font = MakeFont(13);
    ASSERT_NE(font, nullptr);
    const std::u16string text = u"Holiday pictures from the coast";
    const int32_t full = font->MeasureWidth(text);
    const int32_t dots = font->MeasureWidth(u"...");
    struct Case {
        int32_t width;
        bool cut;
    };
    for (const Case c : {Case{full, false}, Case{full + 10, false}, Case{full - 1, true},
                         Case{full / 2, true}, Case{dots + 1, true}}) {
        SCOPED_TRACE(c.width);
        const std::u16string out = CutWithEllipsis(*font, text, c.width);
        if (!c.cut) {
            EXPECT_EQ(out, text);
            continue;
        }
        ASSERT_GE(out.size(), 3u);
        EXPECT_EQ(out.substr(out.size() - 3), u"...");
        const std::u16string head = out.substr(0, out.size() - 3);
        EXPECT_EQ(text.substr(0, head.size()), head);
        EXPECT_LE(font->MeasureWidth(out), c.width);
        // One more character would not have fitted.
        EXPECT_GT(font->MeasureWidth(text.substr(0, head.size() + 1)) + dots, c.width);
    }
    EXPECT_EQ(CutWithEllipsis(*font, text, 1), u"...");
    EXPECT_EQ(CutWithEllipsis(*font, u"", 0), u"");
}

TEST(DrawTextTest, MeasuresLinesWordBreaksAndPrefixes) {
    auto font = MakeFont(13);
    ASSERT_NE(font, nullptr);
    Canvas canvas(10, 10);
    const int32_t h = font->Metrics().height;
    struct Case {
        const char* name;
        std::u16string text;
        uint32_t format;
        int32_t width;
        int32_t expectWidth;  // -1: the rectangle's width is kept
        int32_t lines;
    };
    const int32_t wordWidth = font->MeasureWidth(u"three");
    const Case cases[] = {
        {"single line", u"one two", DT_SINGLELINE | DT_NOPREFIX, 20,
         font->MeasureWidth(u"one two"), 1},
        {"line feeds", u"one\r\ntwo\nthree", DT_NOPREFIX, 200, wordWidth, 3},
        {"word break", u"one two three four", DT_WORDBREAK | DT_NOPREFIX, wordWidth + 2, -1, 4},
        {"long word keeps its line", u"a verylongwordindeed b", DT_WORDBREAK | DT_NOPREFIX, 30,
         -1, 3},
        {"prefix underlines", u"&File", DT_SINGLELINE, 200, font->MeasureWidth(u"File"), 1},
        {"double ampersand", u"a&&b", DT_SINGLELINE, 200, font->MeasureWidth(u"a&b"), 1},
        {"no prefix", u"a&&b", DT_SINGLELINE | DT_NOPREFIX, 200, font->MeasureWidth(u"a&&b"), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rect r{5, 7, 5 + c.width, 8};
        const int32_t height = DrawText(canvas.dc, *font, c.text, r, c.format | DT_CALCRECT);
        EXPECT_EQ(height, c.lines * h);
        EXPECT_EQ(r.bottom, 7 + c.lines * h);
        EXPECT_EQ(r.Width(), c.expectWidth < 0 ? c.width : c.expectWidth);
    }
}

TEST(DrawTextTest, GlyphsAreDrawnInTheTextColourInsideTheRectangle) {
    auto font = MakeFont(16);
    ASSERT_NE(font, nullptr);
    Canvas canvas(100, 40);
    canvas.dc.SetTextColor(RGB(200, 0, 0));
    canvas.dc.SetBkMode(TRANSPARENT);
    Rect r{10, 5, 40, 30};  // narrower than the text: it is cut at x 40
    DrawText(canvas.dc, *font, u"Whole words", r, DT_SINGLELINE | DT_NOPREFIX);
    const Ink ink = FindInk(*canvas.bitmap, WHITE_PIXEL, 0xC80000);
    EXPECT_GT(ink.exact, 3) << "fully covered pixels take the text colour";
    // Every other inked pixel is a blend of the text colour with the white.
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 100; ++x) {
            const uint32_t v = canvas.bitmap->Value(x, y);
            const uint32_t red = v >> 16, green = (v >> 8) & 0xFF, blue = v & 0xFF;
            EXPECT_TRUE(green == blue && red >= green) << x << "," << y;
        }
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 40);
    EXPECT_GE(ink.right, 38);
}

TEST(DrawTextTest, AlignmentPlacesTheInk) {
    auto font = MakeFont(16);
    ASSERT_NE(font, nullptr);
    const int32_t width = font->MeasureWidth(u"Tip");
    struct Case {
        uint32_t format;
        int32_t expectedLeft;  // of the text's box
    };
    for (const Case c : {Case{DT_LEFT, 0}, Case{DT_CENTER, (200 - width) / 2},
                         Case{DT_RIGHT, 200 - width}}) {
        SCOPED_TRACE(c.format);
        Canvas canvas(200, 40);
        canvas.dc.SetBkMode(TRANSPARENT);
        Rect r{0, 0, 200, 40};
        DrawText(canvas.dc, *font, u"Tip", r, c.format | DT_SINGLELINE | DT_VCENTER);
        const Ink ink = FindInk(*canvas.bitmap, WHITE_PIXEL, BLACK_PIXEL);
        ASSERT_GT(ink.pixels, 0);
        EXPECT_NEAR(ink.left, c.expectedLeft, 2);
        EXPECT_NEAR(ink.right, c.expectedLeft + width, 2);
    }
}

TEST(DrawTextTest, OpaqueModeFillsTheTextCell) {
    auto font = MakeFont(16);
    ASSERT_NE(font, nullptr);
    Canvas canvas(120, 40);
    canvas.dc.SetBkMode(OPAQUE);
    canvas.dc.SetBkColor(RGB(0, 0, 255));
    Rect r{4, 4, 120, 40};
    DrawText(canvas.dc, *font, u"ab", r, DT_SINGLELINE | DT_NOPREFIX);
    const int32_t w = font->MeasureWidth(u"ab");
    EXPECT_EQ(canvas.bitmap->Value(4, 4), 0x0000FFu);                        // cell corner
    EXPECT_EQ(canvas.bitmap->Value(4 + w - 1, 4 + 16 - 1), 0x0000FFu);      // far corner
    EXPECT_EQ(canvas.bitmap->Value(4 + w, 4), WHITE_PIXEL);                  // beyond the text
    EXPECT_EQ(canvas.bitmap->Value(4, 4 + 16), WHITE_PIXEL);
}

// A small scene on the headless screen written as PNG: a title bar, text in
// three alignments, a cut line and a wrapped paragraph.
class SceneWindow : public Window {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_PAINT)
            return DefWindowProc(message, wParam, lParam);
        PAINTSTRUCT ps;
        DeviceContext* dc = WindowManager::Current()->BeginPaint(this, ps);
        auto font = Font::Create(13);
        auto bold = Font::Create(13, FW_BOLD);
        if (dc && font && bold) {
            dc->FillSolidRect(GetClientRect(), RGB(255, 255, 255));
            dc->FillSolidRect({0, 0, 240, 26}, RGB(0, 0, 128));
            dc->SetBkMode(TRANSPARENT);
            dc->SetTextColor(RGB(255, 255, 255));
            Rect title{6, 0, 234, 26};
            DrawText(*dc, *bold, u"Kestrelview", title, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            dc->SetTextColor(RGB(0, 0, 0));
            Rect left{4, 34, 236, 50}, centre{4, 52, 236, 68}, right{4, 70, 236, 86};
            DrawText(*dc, *font, u"Left aligned", left, DT_SINGLELINE | DT_LEFT);
            DrawText(*dc, *font, u"Centred", centre, DT_SINGLELINE | DT_CENTER);
            DrawText(*dc, *font, u"Right aligned", right, DT_SINGLELINE | DT_RIGHT);
            Rect cut{4, 92, 120, 108};
            dc->FillSolidRect(cut, RGB(230, 230, 230));
            const std::u16string shown =
                CutWithEllipsis(*font, u"A rather long file name.jpg", cut.Width());
            DrawText(*dc, *font, shown, cut, DT_SINGLELINE | DT_NOPREFIX);
            dc->SetBkMode(OPAQUE);
            dc->SetBkColor(RGB(255, 255, 160));
            Rect para{4, 116, 200, 200};
            DrawText(*dc, *font, u"Word wrapped text breaks between words to fit the width.",
                     para, DT_WORDBREAK | DT_NOPREFIX);
        }
        WindowManager::Current()->EndPaint(this, ps);
        return 0;
    }
};

TEST(DrawTextTest, SceneScreenshotHasTextInItsColours) {
    TempDir dir;
    HeadlessScreen screen;
    SceneWindow scene;
    ASSERT_TRUE(scene.Create(nullptr, {0, 0, 240, 320}, 0, u"scene", WS_VISIBLE));
    const std::string path = dir / "scene.png";
    screen.backend.Shot(path);
    screen.Run();
    EXPECT_EQ(screen.backend.ShotsWritten(), 1);
    EXPECT_EQ(screen.backend.LastShotError(), 0u);
    const std::vector<uint8_t> png = ReadHostFile(path);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png[1], 'P');
    // Title text: white on the title bar's navy.
    Bitmap& s = screen.manager.Screen();
    int white = 0;
    for (int32_t y = 0; y < 26; ++y)
        for (int32_t x = 0; x < 240; ++x)
            white += s.Value(x, y) == 0xFFFFFF;
    EXPECT_GT(white, 20);
    // The cut line stays inside its box.
    for (int32_t y = 92; y < 108; ++y)
        EXPECT_EQ(s.Value(120, y), 0xFFFFFFu);
    if (const char* keep = std::getenv("KV_KEEP_SCREENSHOTS"))
        WritePng(std::string(keep) + "/scene.png", s);
}

}  // namespace
