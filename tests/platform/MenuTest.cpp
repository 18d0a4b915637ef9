#include <gtest/gtest.h>

#include "platform/shell/Menu.h"
#include "platform/window/ModalResponder.h"
#include "platform/png/PngWriter.h"
#include "platform/shell/PopupMenuWindow.h"
#include "tests/platform/ModalTestSupport.h"
#include "tests/platform/WindowTestSupport.h"

namespace {

constexpr UINT kDetails = 101, kNote = 102, kDelete = 103, kCard = 201, kInternal = 202;
constexpr COLORREF kOwnerColour = RGB(0, 128, 0);

// Details, Note (checked), separator, Location > {Card, Internal}, Delete (greyed).
std::unique_ptr<Menu> SampleMenu() {
    auto menu = std::make_unique<Menu>();
    menu->AppendItem(MF_STRING, kDetails, u"Details");
    menu->AppendItem(MF_STRING | MF_CHECKED, kNote, u"Note");
    menu->AppendItem(MF_SEPARATOR, 0, u"");
    auto sub = std::make_unique<Menu>();
    sub->AppendItem(MF_STRING, kCard, u"Card");
    sub->AppendItem(MF_STRING, kInternal, u"Internal");
    menu->AppendSubMenu(std::move(sub), u"Location");
    menu->AppendItem(MF_STRING | MF_GRAYED, kDelete, u"Delete");
    return menu;
}

uint32_t Px(int index) { return PixelFromColour(GetSysColor(index)); }

// ---- the menu itself --------------------------------------------------------

TEST(MenuModelTest, ItemsBuildFindAndChangeByCommandOrPosition) {
    auto menu = SampleMenu();
    EXPECT_EQ(menu->GetItemCount(), 5);
    EXPECT_EQ(menu->GetItemId(0), kDetails);
    EXPECT_EQ(menu->GetItemId(2), 0u);            // separator
    EXPECT_EQ(menu->GetItemId(3), 0xFFFFFFFFu);   // submenu
    EXPECT_EQ(menu->GetItemId(9), 0xFFFFFFFFu);   // none
    ASSERT_NE(menu->GetSubMenu(3), nullptr);
    EXPECT_EQ(menu->GetSubMenu(0), nullptr);

    EXPECT_EQ(menu->GetMenuState(kNote, MF_BYCOMMAND), MF_CHECKED);
    EXPECT_EQ(menu->GetMenuState(2, MF_BYPOSITION), MF_SEPARATOR);
    EXPECT_EQ(menu->GetMenuState(3, MF_BYPOSITION), MF_POPUP);
    EXPECT_EQ(menu->GetMenuState(kDelete, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_EQ(menu->GetMenuState(999, MF_BYCOMMAND), 0xFFFFFFFFu);
    // By command reaches into submenus.
    EXPECT_EQ(menu->GetItemText(kInternal, MF_BYCOMMAND), u"Internal");
    EXPECT_EQ(menu->GetItemText(3, MF_BYPOSITION), u"Location");

    // Each change answers with the state before it.
    EXPECT_EQ(menu->EnableMenuItem(kDelete, MF_BYCOMMAND | MF_ENABLED), int(MF_GRAYED));
    EXPECT_EQ(menu->EnableMenuItem(kCard, MF_BYCOMMAND | MF_GRAYED), 0);
    EXPECT_EQ(menu->GetMenuState(kCard, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_EQ(menu->CheckMenuItem(kNote, MF_BYCOMMAND | MF_UNCHECKED), int(MF_CHECKED));
    EXPECT_EQ(menu->CheckMenuItem(0, MF_BYPOSITION | MF_CHECKED), 0);
    EXPECT_EQ(menu->GetMenuState(kDetails, MF_BYCOMMAND), MF_CHECKED);
    EXPECT_EQ(menu->EnableMenuItem(999, MF_GRAYED), -1);
    EXPECT_EQ(menu->CheckMenuItem(7, MF_BYPOSITION | MF_CHECKED), -1);
    EXPECT_TRUE(menu->SetItemText(kNote, MF_BYCOMMAND, u"Note..."));
    EXPECT_EQ(menu->GetItemText(1, MF_BYPOSITION), u"Note...");
    EXPECT_FALSE(menu->SetItemText(2, MF_BYPOSITION, u"x"));  // a separator has none
}

TEST(MenuModelTest, InsertAndDeleteKeepTheOrder) {
    Menu menu;
    menu.AppendItem(MF_STRING, 1, u"one");
    menu.AppendItem(MF_STRING, 3, u"three");
    EXPECT_TRUE(menu.InsertItem(1, MF_STRING, 2, u"two"));
    EXPECT_TRUE(menu.InsertItem(99, MF_STRING, 4, u"four"));  // past the end appends
    EXPECT_FALSE(menu.InsertItem(0, MF_POPUP, 5, u"no submenu given"));
    auto sub = std::make_unique<Menu>();
    sub->AppendItem(MF_STRING, 7, u"seven");
    EXPECT_TRUE(menu.AppendSubMenu(std::move(sub), u"more"));
    EXPECT_FALSE(menu.AppendSubMenu(nullptr, u"nothing"));
    std::vector<UINT> ids;
    for (int i = 0; i < menu.GetItemCount(); ++i) ids.push_back(menu.GetItemId(i));
    EXPECT_EQ(ids, (std::vector<UINT>{1, 2, 3, 4, 0xFFFFFFFF}));

    EXPECT_TRUE(menu.DeleteItem(7, MF_BYCOMMAND));  // inside the submenu
    EXPECT_EQ(menu.GetSubMenu(4)->GetItemCount(), 0);
    EXPECT_TRUE(menu.DeleteItem(0, MF_BYPOSITION));
    EXPECT_TRUE(menu.DeleteItem(3, MF_BYCOMMAND));
    EXPECT_FALSE(menu.DeleteItem(3, MF_BYCOMMAND));
    EXPECT_FALSE(menu.DeleteItem(10, MF_BYPOSITION));
    EXPECT_EQ(menu.GetItemId(0), 2u);
    EXPECT_EQ(menu.GetItemId(1), 4u);
    menu.RemoveAll();
    EXPECT_EQ(menu.GetItemCount(), 0);
}

// ---- tracking ---------------------------------------------------------------

class MenuTrackTest : public ::testing::Test {
protected:
    HeadlessScreen screen;
    std::vector<Seen> log;
    LoggingWindow owner{&log};
    IdleSteps idle;
    std::unique_ptr<Menu> menu = SampleMenu();
    std::function<void(Menu*, int)> onInit;
    std::function<void(WPARAM)> onCommand;

    void SetUp() override {
        ASSERT_TRUE(owner.Create(nullptr, {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0, u"owner", WS_VISIBLE));
        owner.SetBackgroundColour(kOwnerColour);
        owner.ignored = {WM_PAINT, WM_ERASEBKGND, WM_SHOWWINDOW};
        owner.handler = [this](UINT m, WPARAM w, LPARAM l, LRESULT&) {
            if (m == WM_INITMENUPOPUP && onInit) onInit(reinterpret_cast<Menu*>(w), int(l));
            if (m == WM_COMMAND && onCommand) onCommand(w);
            return false;
        };
        screen.manager.PumpMessages();
        log.clear();
    }
    std::vector<PopupMenuWindow*> Levels() const { return TopLevelOf<PopupMenuWindow>(screen.manager); }
    Point Item(size_t level, int item) const { return Centre(Levels().at(level)->GetItemScreenRect(item)); }
    // Queues a tap on an item of an open level once the menu is idle.
    void TapWhenOpen(size_t level, int item) {
        idle.Then([=, this] { screen.backend.Tap(Item(level, item)); });
    }
    UINT Track(UINT flags = TPM_RETURNCMD, Point at = {20, 60}) {
        return TrackPopupMenu(*menu, flags, at.x, at.y, &owner);
    }
};

TEST_F(MenuTrackTest, TapChoosesAnItemAndTheOwnerHearsOnlyTheInit) {
    TapWhenOpen(0, 1);
    EXPECT_EQ(Track(), kNote);
    EXPECT_TRUE(Levels().empty());
    EXPECT_EQ(log, (std::vector<Seen>{{&owner, WM_INITMENUPOPUP, WPARAM(menu.get()), 0}}));
}

TEST_F(MenuTrackTest, SubmenuOpensBesideItsItemAndItsItemsCanBeChosen) {
    // Near the right edge the submenu goes to the left of its parent.
    for (Point at : {Point{10, 60}, Point{170, 60}}) {
        log.clear();
        idle.Then([&] {
            screen.backend.Tap(Item(0, 3));
            idle.Then([&] {
                ASSERT_EQ(Levels().size(), 2u);
                const Rect parent = Levels()[0]->GetWindowRect();
                const Rect sub = Levels()[1]->GetWindowRect();
                EXPECT_EQ(sub.top, Levels()[0]->GetItemScreenRect(3).top - 1);
                EXPECT_TRUE(at.x < 100 ? sub.left > parent.left : sub.right < parent.right);
                EXPECT_LE(sub.right, SCREEN_WIDTH);
                screen.backend.Tap(Item(1, 1));
            });
        });
        EXPECT_EQ(Track(TPM_RETURNCMD, at), kInternal);
        const auto inits = Only(log, {WM_INITMENUPOPUP});
        ASSERT_EQ(inits.size(), 2u);
        EXPECT_EQ(inits[1].wParam, WPARAM(menu->GetSubMenu(3)));
        EXPECT_EQ(inits[1].lParam, 3);
    }
}

TEST_F(MenuTrackTest, KeysMoveOverSeparatorsAndGreyedItemsAndChoose) {
    struct Case {
        std::vector<UINT> keys;
        UINT expected;
    };
    const Case cases[] = {
        {{VK_DOWN, VK_RETURN}, kDetails},
        {{VK_DOWN, VK_DOWN, VK_RETURN}, kNote},
        // Up from nothing lands on Location: Delete is greyed. Enter opens it.
        {{VK_UP, VK_RETURN, VK_RETURN}, kCard},
        {{VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}, kInternal},
        {{VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_LEFT, VK_UP, VK_RETURN}, kNote},
        {{VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_UP, VK_RETURN}, kNote},
        {{VK_UP, VK_DOWN, VK_RETURN}, kDetails},  // wraps round
        {{VK_DOWN, VK_ESCAPE}, 0},
    };
    SetFocus(&owner);
    for (const Case& c : cases) {
        log.clear();
        for (UINT key : c.keys) screen.backend.Key(key);
        EXPECT_EQ(Track(), c.expected);
        EXPECT_TRUE(Levels().empty());
        // The focus stays; the keys, releases included, were the menu's.
        EXPECT_EQ(GetFocus(), &owner);
        EXPECT_TRUE(Only(log, {WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_KILLFOCUS}).empty());
    }
}

TEST_F(MenuTrackTest, TapOutsideDismissesAndTheTapGoesNowhere) {
    idle.Then([&] { screen.backend.Tap({200, 300}); });
    const Rect shown{20, 60, 30, 70};
    EXPECT_EQ(Track(), 0u);
    EXPECT_TRUE(Levels().empty());
    EXPECT_TRUE(Only(log, {WM_LBUTTONDOWN, WM_LBUTTONUP}).empty());
    // What the menu covered is painted again.
    screen.manager.PumpMessages();
    EXPECT_EQ(screen.manager.Screen().Value(shown.left, shown.top), PixelFromColour(kOwnerColour));
}

TEST_F(MenuTrackTest, SnapshotOfTheOwnerWhileTheMenuIsOpenHoldsOnlyTheOwnersPixels) {
    const uint32_t ownerPixel = PixelFromColour(kOwnerColour);
    idle.Then([&] {
        ASSERT_EQ(Levels().size(), 1u);
        const Rect covered = Levels()[0]->GetWindowRect();
        EXPECT_NE(screen.manager.Screen().Value(covered.left + 1, covered.top + 1), ownerPixel);
        std::unique_ptr<DeviceContext> source = screen.manager.GetDC(&owner);
        ASSERT_NE(source, nullptr);
        std::unique_ptr<Bitmap> snapshot = CreateCompatibleBitmap(source.get(), SCREEN_WIDTH, SCREEN_HEIGHT);
        DeviceContext memory;
        memory.SelectObject(snapshot.get());
        memory.BitBlt(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, source.get(), 0, 0, SRCCOPY);
        screen.manager.ReleaseDC(&owner, std::move(source));
        int foreign = 0;
        for (int32_t y = 0; y < SCREEN_HEIGHT; ++y)
            for (int32_t x = 0; x < SCREEN_WIDTH; ++x) foreign += snapshot->Value(x, y) != ownerPixel;
        EXPECT_EQ(foreign, 0);
        // Reading the window back left the menu on the screen.
        EXPECT_NE(screen.manager.Screen().Value(covered.left + 1, covered.top + 1), ownerPixel);
        screen.backend.Key(VK_ESCAPE);
    });
    EXPECT_EQ(Track(), 0u);
}

TEST_F(MenuTrackTest, ReleaseOfThePressThatOpenedTheMenuChoosesOnlyAfterADragOntoIt) {
    // A hold near the bottom right corner: the menu is moved up and left, under the stylus.
    for (bool drag : {false, true}) {
        const Point held{230, 250};  // lands on Details
        screen.backend.Down(held);
        screen.manager.PumpMessages();
        idle.Then([&] {
            const Point note = Item(0, 1);
            if (drag) screen.backend.Move(note);
            screen.backend.Up(drag ? note : held);
            idle.Then([&] { screen.backend.Key(VK_ESCAPE); });
        });
        EXPECT_EQ(Track(TPM_RETURNCMD, held), drag ? kNote : 0u);
    }
}

TEST_F(MenuTrackTest, GreyedItemsAndSeparatorsCannotBeChosen) {
    idle.Then([&] {
        screen.backend.Tap(Item(0, 4));  // Delete, greyed
        screen.backend.Tap(Item(0, 2));  // the separator
        idle.Then([&] {
            EXPECT_EQ(Levels().size(), 1u);  // still open
            screen.backend.Key(VK_ESCAPE);
        });
    });
    EXPECT_EQ(Track(), 0u);
}

TEST_F(MenuTrackTest, ChangesMadeOnInitAreHonoured) {
    onInit = [&](Menu* m, int) {
        m->EnableMenuItem(kDetails, MF_BYCOMMAND | MF_GRAYED);
        m->EnableMenuItem(kDelete, MF_BYCOMMAND | MF_ENABLED);
    };
    idle.Then([&] {
        screen.backend.Tap(Item(0, 0));  // greyed now
        idle.Then([&] { screen.backend.Tap(Item(0, 4)); });
    });
    EXPECT_EQ(Track(), kDelete);
}

TEST_F(MenuTrackTest, WithoutReturnCmdTheCommandIsSentAfterTheMenuClosed) {
    size_t openWhenSent = 99;
    onCommand = [&](WPARAM) { openWhenSent = Levels().size(); };
    TapWhenOpen(0, 0);
    EXPECT_EQ(Track(TPM_LEFTALIGN), 1u);
    EXPECT_EQ(openWhenSent, 0u);
    const auto commands = Only(log, {WM_COMMAND});
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], (Seen{&owner, WM_COMMAND, kDetails, 0}));

    log.clear();
    screen.backend.Key(VK_ESCAPE);
    EXPECT_EQ(Track(TPM_LEFTALIGN), 0u);
    EXPECT_TRUE(Only(log, {WM_COMMAND}).empty());
}

TEST_F(MenuTrackTest, MenuStaysOnTheScreen) {
    struct Case {
        UINT flags;
        Point at;
        bool bottomAt;  // the bottom edge sits at the point's y
    };
    const Case cases[] = {
        {TPM_BOTTOMALIGN, {10, 310}, true},
        {TPM_BOTTOMALIGN, {200, 310}, true},   // moved left
        {TPM_TOPALIGN, {200, 300}, false},     // moved up and left
        {TPM_BOTTOMALIGN, {10, 20}, false},    // no room above: moved down
    };
    for (const Case& c : cases) {
        Rect seen;
        idle.Then([&] {
            seen = Levels().at(0)->GetWindowRect();
            screen.backend.Key(VK_ESCAPE);
        });
        Track(c.flags | TPM_RETURNCMD, c.at);
        EXPECT_GE(seen.left, 0);
        EXPECT_GE(seen.top, 0);
        EXPECT_LE(seen.right, SCREEN_WIDTH);
        EXPECT_LE(seen.bottom, SCREEN_HEIGHT);
        EXPECT_EQ(seen.left, std::min(c.at.x, SCREEN_WIDTH - seen.Width()));
        if (c.bottomAt) {
            EXPECT_EQ(seen.bottom, c.at.y);
        }
    }
}

TEST_F(MenuTrackTest, DrawsFrameChecksArrowsGreyAndHighlight) {
    // Location highlighted by keys, its submenu open with Card highlighted.
    for (UINT key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT}) screen.backend.Key(key);
    idle.Then([&] {
        WritePng("/tmp/menus-popup.png", screen.manager.Screen());
        const Bitmap& s = screen.manager.Screen();
        ASSERT_EQ(Levels().size(), 2u);
        const Rect frame = Levels()[0]->GetWindowRect();
        EXPECT_EQ(s.Value(frame.left, frame.top), Px(COLOR_WINDOWFRAME));
        EXPECT_EQ(s.Value(frame.right - 1, frame.bottom - 1), Px(COLOR_WINDOWFRAME));
        auto count = [&](const Rect& r, uint32_t value) {
            int n = 0;
            for (int32_t y = r.top; y < r.bottom; ++y)
                for (int32_t x = r.left; x < r.right; ++x) n += s.Value(x, y) == value;
            return n;
        };
        auto checkArea = [&](int item) {
            const Rect r = Levels()[0]->GetItemScreenRect(item);
            return Rect{r.left, r.top, r.left + PopupMenuWindow::CHECK_AREA, r.bottom};
        };
        auto arrowArea = [&](int item) {
            const Rect r = Levels()[0]->GetItemScreenRect(item);
            return Rect{r.right - PopupMenuWindow::ARROW_AREA, r.top, r.right, r.bottom};
        };
        const uint32_t black = Px(COLOR_MENUTEXT);
        EXPECT_GT(count(checkArea(1), black), 6);  // Note is checked
        EXPECT_EQ(count(checkArea(0), black), 0);
        EXPECT_EQ(count(arrowArea(3), Px(COLOR_HIGHLIGHTTEXT)), 7 + 5 + 3 + 1);  // on the highlight
        EXPECT_EQ(count(arrowArea(0), black), 0);
        Rect del = Levels()[0]->GetItemScreenRect(4);
        del.right = Levels()[1]->GetWindowRect().left;  // the submenu covers the rest
        EXPECT_GT(count(del, Px(COLOR_GRAYTEXT)), 10);
        EXPECT_EQ(count(del, black), 0);
        const Rect card = Levels()[1]->GetItemScreenRect(0);
        EXPECT_EQ(s.Value(card.left, card.top), Px(COLOR_HIGHLIGHT));
        EXPECT_GT(count(card, Px(COLOR_HIGHLIGHTTEXT)), 4);
        screen.backend.Key(VK_ESCAPE);
        screen.backend.Key(VK_ESCAPE);
    });
    EXPECT_EQ(Track(), 0u);
}

TEST_F(MenuTrackTest, LongMenuScrollsByStripKeysAndStylus) {
    menu->RemoveAll();
    for (UINT i = 0; i < 40; ++i) menu->AppendItem(MF_STRING, 1000 + i, u"Item " + std::u16string(1, char16_t(u'A' + i % 26)));
    // Up from nothing reaches the last item, scrolled into view.
    screen.backend.Key(VK_UP);
    screen.backend.Key(VK_RETURN);
    EXPECT_EQ(Track(TPM_RETURNCMD, {0, 0}), 1039u);

    int firstShown = -1;
    idle.Then([&] {
        ASSERT_TRUE(Levels().at(0)->IsScrollable());
        const Rect r = Levels()[0]->GetWindowRect();
        EXPECT_EQ(r.Height(), SCREEN_HEIGHT);
        screen.backend.Tap({r.left + r.Width() / 2, r.bottom - 4});  // the lower strip
        idle.Then([&] {
            while (Levels()[0]->GetItemScreenRect(++firstShown).IsEmpty()) {}
            screen.backend.Tap(Item(0, firstShown));
        });
    });
    const UINT chosen = Track(TPM_RETURNCMD, {0, 0});
    EXPECT_GT(firstShown, 0);
    EXPECT_EQ(chosen, 1000u + UINT(firstShown));
}

TEST_F(MenuTrackTest, QuitEndsTrackingAndReachesTheOuterLoop) {
    idle.Then([] { PostQuitMessage(5); });
    EXPECT_EQ(Track(), 0u);
    EXPECT_TRUE(Levels().empty());
    MSG msg;
    while (screen.manager.GetMessage(msg)) screen.manager.DispatchMessage(msg);
    EXPECT_EQ(msg.wParam, 5u);
}

// ---- the responder ----------------------------------------------------------

TEST_F(MenuTrackTest, ResponderRecordsStatesAfterInitAndAnswers) {
    onInit = [&](Menu* m, int) { m->CheckMenuItem(kCard, MF_BYCOMMAND | MF_CHECKED); };
    struct Case {
        UINT answer;
        UINT expected;
    };
    const Case cases[] = {{kInternal, kInternal}, {kDelete, 0}, {999, 0}, {0, 0}, {0xFFFFFFFF, 0}};
    for (const Case& c : cases) {
        ModalResponder responder;
        size_t windowsWhileAnswering = 99;
        responder.onMenu = [&](const ShownMenu&) {
            windowsWhileAnswering = Levels().size();
            return c.answer;
        };
        EXPECT_EQ(Track(TPM_RETURNCMD, {30, 40}), c.expected) << c.answer;
        EXPECT_EQ(windowsWhileAnswering, 0u);
        ASSERT_EQ(responder.menus.size(), 1u);
        const ShownMenu& shown = responder.menus[0];
        EXPECT_EQ(shown.anchor, (Point{30, 40}));
        EXPECT_EQ(shown.flags, TPM_RETURNCMD);
        EXPECT_EQ(shown.owner, &owner);
        ASSERT_EQ(shown.items.size(), 5u);
        EXPECT_EQ(shown.items[1].text, u"Note");
        EXPECT_EQ(shown.items[1].state, MF_CHECKED);
        EXPECT_EQ(shown.items[4].state, MF_GRAYED);
        ASSERT_EQ(shown.items[3].sub.size(), 2u);
        EXPECT_EQ(shown.items[3].state, MF_POPUP);
        EXPECT_EQ(shown.items[3].sub[0].id, kCard);
        EXPECT_EQ(shown.items[3].sub[0].state, MF_CHECKED);  // set on the submenu's init
    }
}

TEST_F(MenuTrackTest, RespondersNestAndOneWithoutAnswerLetsTrackingRun) {
    ModalResponder outer;
    outer.onMenu = [](const ShownMenu&) { return kDetails; };
    {
        ModalResponder inner;
        EXPECT_EQ(ModalResponder::Current(), &inner);
        screen.backend.Key(VK_DOWN);
        screen.backend.Key(VK_DOWN);
        screen.backend.Key(VK_RETURN);
        EXPECT_EQ(Track(), kNote);  // interactive, still recorded
        EXPECT_EQ(inner.menus.size(), 1u);
    }
    EXPECT_EQ(ModalResponder::Current(), &outer);
    EXPECT_EQ(Track(TPM_LEFTALIGN), 1u);
    EXPECT_EQ(outer.menus.size(), 1u);
    EXPECT_EQ(Only(log, {WM_COMMAND}).size(), 1u);
}

TEST(MenuResponderTest, AnswersWithoutAWindowManager) {
    auto menu = SampleMenu();
    ModalResponder responder;
    responder.onMenu = [](const ShownMenu& shown) { return shown.items[0].id; };
    EXPECT_EQ(TrackPopupMenu(*menu, TPM_RETURNCMD, 0, 0, nullptr), kDetails);
    EXPECT_EQ(responder.menus.size(), 1u);
}

}  // namespace
