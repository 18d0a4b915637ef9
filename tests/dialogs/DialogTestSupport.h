#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "handheld/Preferences.h"
#include "platform/base/Text.h"
#include "platform/controls/ButtonControl.h"
#include "platform/controls/ControlMessages.h"
#include "platform/controls/EditControl.h"
#include "platform/controls/StandardControls.h"
#include "platform/controls/StaticControl.h"
#include "platform/fonts/SystemFont.h"
#include "platform/png/PngWriter.h"
#include "platform/registry/Registry.h"
#include "platform/shell/Dialog.h"
#include "platform/shell/Shell.h"
#include "platform/window/ModalResponder.h"
#include "tests/platform/WindowTestSupport.h"
#include "tests/support/TestSupport.h"

// A headless screen with the shell, the standard controls, a host window
// the dialogs are opened over, and preferences in a temporary device.
class DialogHostTest : public ::testing::Test {
protected:
    HeadlessScreen screen;
    Shell shell;
    TempDevice device;
    std::vector<Seen> log;
    LoggingWindow host{&log};

    void SetUp() override {
        RegSelectHive(RegHive::Device);
        ASSERT_TRUE(CreatePreferencesKey());
        RegisterStandardControls();
        host.ignored = {WM_PAINT, WM_ERASEBKGND};
        ASSERT_TRUE(host.Create(nullptr, {0, 26, 240, 294}, 0, u"Kestrelview", WS_VISIBLE));
        screen.manager.PumpMessages();
    }

    // Screen rectangle of the input panel's top edge when it is up.
    static constexpr int32_t kPanelTop = SCREEN_HEIGHT - MENU_BAR_HEIGHT - INPUT_PANEL_HEIGHT;

    // Text of a control must fit on its one line inside the control; no
    // two controls overlap (a group box holds the ones inside it); every
    // control stays on the screen between the strips, and with the panel
    // up every edit stays above it.
    void ExpectLaidOut(const Dialog& dialog) {
        const Font* font = GetUiFont(UiFont::Normal);
        const Font* bold = GetUiFont(UiFont::Bold);
        ASSERT_TRUE(font && bold);
        const Rect client = dialog.GetWindowRect();
        std::vector<Rect> taken;
        for (Window* child : dialog.Children()) {
            if (!child->IsVisibleFlag())
                continue;
            const Rect r = child->GetWindowRect();
            const std::string what = "control " + std::to_string(child->GetId()) + " " +
                                     Utf16ToUtf8(child->GetWindowText());
            EXPECT_TRUE(r.left >= client.left && r.top >= client.top && r.right <= client.right &&
                        r.bottom <= client.bottom)
                << what;
            if (shell.IsInputPanelOn() && dynamic_cast<EditControl*>(child)) {
                EXPECT_LE(r.bottom, kPanelTop) << what;
            }
            const std::u16string& text = child->GetWindowText();
            const uint32_t style = child->GetStyle();
            if (auto* button = dynamic_cast<ButtonControl*>(child); button && !text.empty()) {
                const uint32_t kind = style & BS_TYPEMASK;
                if (kind == BS_GROUPBOX) {
                    EXPECT_LE(font->MeasureWidth(text) + 16, r.Width()) << what;
                    continue;  // holds other controls
                }
                const bool check = kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX;
                const Font* f = kind == BS_DEFPUSHBUTTON ? bold : font;
                EXPECT_LE(f->MeasureWidth(text) + (check ? 17 : 6), r.Width()) << what;
                EXPECT_GE(r.Height(), font->Metrics().height) << what;
            } else if (dynamic_cast<StaticControl*>(child) && !text.empty() && (style & 0xF) != SS_ICON) {
                EXPECT_LE(font->MeasureWidth(text), r.Width()) << what;
                EXPECT_GE(r.Height(), font->Metrics().height) << what;
            }
            for (const Rect& other : taken) {
                EXPECT_TRUE(r.right <= other.left || other.right <= r.left || r.bottom <= other.top ||
                            other.bottom <= r.top)
                    << what << " overlaps another control";
            }
            taken.push_back(r);
        }
    }

    // Writes the screen to $KV_DIALOG_SHOTS/<name>.png when that is set.
    void Shoot(const std::string& name) {
        screen.manager.PumpMessages();
        if (const char* dir = std::getenv("KV_DIALOG_SHOTS")) {
            EXPECT_EQ(WritePng(std::string(dir) + "/" + name + ".png", screen.manager.Screen()), 0u);
        }
    }
};
