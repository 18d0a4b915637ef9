#include <gtest/gtest.h>

#include "platform/shell/MessageBoxWindow.h"
#include "platform/window/ModalResponder.h"
#include "platform/png/PngWriter.h"
#include "tests/platform/ModalTestSupport.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

constexpr char16_t kText[] = u"Are you sure you want to delete this image?";

uint32_t Px(int index) { return PixelFromColour(GetSysColor(index)); }

class MessageBoxWindowTest : public ::testing::Test {
protected:
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow owner{&log};
    IdleSteps idle;

    void SetUp() override {
        ASSERT_TRUE(owner.Create(nullptr, {0, 26, 240, 294}, 0, u"owner", WS_VISIBLE));
        owner.SetBackgroundColour(RGB(0, 128, 0));
        owner.ignored = {WM_PAINT, WM_ERASEBKGND};
        SetFocus(&owner);
        screen.manager.PumpMessages();
        log.clear();
    }
    MessageBoxWindow* Box() const {
        auto boxes = TopLevelOf<MessageBoxWindow>(screen.manager);
        return boxes.empty() ? nullptr : boxes.back();
    }
    Point Button(size_t index) const { return Centre(Box()->GetButtonRect(index)); }
};

TEST_F(MessageBoxWindowTest, ResponderRecordsAndAnswersWithTheBoxesButtonsOnly) {
    struct Case {
        UINT type;
        int answer;
        int expected;
    };
    const Case cases[] = {
        {MB_YESNO, IDYES, IDYES}, {MB_YESNO, IDNO, IDNO},     {MB_YESNO, IDOK, IDNO},
        {MB_OK, IDOK, IDOK},      {MB_OK | MB_ICONERROR, IDYES, IDOK},
    };
    for (const Case& c : cases) {
        ModalResponder responder;
        bool boxOnScreen = true;
        responder.onMessageBox = [&](const ShownMessageBox&) {
            boxOnScreen = Box() != nullptr;
            return c.answer;
        };
        EXPECT_EQ(MessageBoxW(&owner, kText, u"Kestrelview", c.type), c.expected);
        EXPECT_FALSE(boxOnScreen);
        ASSERT_EQ(responder.boxes.size(), 1u);
        EXPECT_EQ(responder.boxes[0].text, kText);
        EXPECT_EQ(responder.boxes[0].caption, u"Kestrelview");
        EXPECT_EQ(responder.boxes[0].type, c.type);
    }
}

TEST_F(MessageBoxWindowTest, EnterAndEscapeAnswerAndTheirReleasesStayWithTheBox) {
    struct Case {
        UINT type;
        UINT key;
        int expected;
    };
    const Case cases[] = {{MB_YESNO, VK_RETURN, IDYES},
                          {MB_YESNO, VK_ESCAPE, IDNO},
                          {MB_OK, VK_RETURN, IDOK},
                          {MB_OK, VK_ESCAPE, IDOK}};
    for (const Case& c : cases) {
        log.clear();
        screen.backend.Key(VK_DOWN);  // no meaning in a box
        screen.backend.Key(c.key);
        ModalResponder recordingOnly;
        EXPECT_EQ(MessageBoxW(&owner, kText, u"Kestrelview", c.type), c.expected);
        EXPECT_EQ(recordingOnly.boxes.size(), 1u);
        EXPECT_EQ(Box(), nullptr);
        EXPECT_EQ(GetFocus(), &owner);
        EXPECT_TRUE(Only(log, {WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_KILLFOCUS}).empty());
    }
}

TEST_F(MessageBoxWindowTest, TapOnAButtonAnswersDraggingOffDoesNot) {
    idle.Then([&] {
        ASSERT_NE(Box(), nullptr);
        EXPECT_EQ(Box()->GetWindowRect(), (Rect{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}));
        // Down on No, off it, up: nothing; then a tap on a blank spot; then Yes.
        screen.backend.Down(Button(1));
        screen.backend.Move({10, 300});
        screen.backend.Up({10, 300});
        screen.backend.Tap({120, 200});
        idle.Then([&] {
            ASSERT_NE(Box(), nullptr);
            screen.backend.Tap(Button(0));
        });
    });
    EXPECT_EQ(MessageBoxW(&owner, kText, u"Kestrelview", MB_YESNO), IDYES);
    EXPECT_TRUE(Only(log, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE}).empty());
    screen.manager.PumpMessages();  // the owner shows again
    EXPECT_EQ(screen.manager.Screen().Value(120, 100), PixelFromColour(RGB(0, 128, 0)));
}

TEST_F(MessageBoxWindowTest, DrawsCaptionStripTextAndButtons) {
    idle.Then([&] {
        WritePng("/tmp/menus-msgbox.png", screen.manager.Screen());
        const Bitmap& s = screen.manager.Screen();
        EXPECT_EQ(s.Value(120, 1), Px(COLOR_HIGHLIGHT));
        EXPECT_EQ(s.Value(120, MessageBoxWindow::CAPTION_HEIGHT), Px(COLOR_WINDOW));
        int captionText = 0, bodyText = 0;
        for (int32_t y = 0; y < MessageBoxWindow::CAPTION_HEIGHT; ++y)
            for (int32_t x = 0; x < 120; ++x) captionText += s.Value(x, y) == Px(COLOR_HIGHLIGHTTEXT);
        for (int32_t y = MessageBoxWindow::CAPTION_HEIGHT; y < 80; ++y)
            for (int32_t x = 0; x < SCREEN_WIDTH; ++x) bodyText += s.Value(x, y) == Px(COLOR_WINDOWTEXT);
        EXPECT_GT(captionText, 20);
        EXPECT_GT(bodyText, 50);
        // The buttons sit side by side, framed.
        const Rect yes = Box()->GetButtonRect(0), no = Box()->GetButtonRect(1);
        EXPECT_EQ(yes.top, no.top);
        EXPECT_LT(yes.right, no.left);
        EXPECT_EQ(s.Value(yes.left, yes.top + 5), Px(COLOR_WINDOWFRAME));
        EXPECT_EQ(s.Value(yes.left + 2, yes.top + 2), Px(COLOR_BTNFACE));
        screen.backend.Key(VK_ESCAPE);
    });
    EXPECT_EQ(MessageBoxW(&owner, kText, u"Kestrelview", MB_YESNO), IDNO);
}

TEST_F(MessageBoxWindowTest, EndOfInputAnswersLikeEscape) {
    EXPECT_EQ(MessageBoxW(&owner, kText, u"Kestrelview", MB_YESNO), IDNO);
    EXPECT_EQ(Box(), nullptr);
}

}  // namespace
