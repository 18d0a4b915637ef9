#include "app/AboutBox.h"

#include <memory>

#include "app/Icons.h"
#include "app/KestrelviewApp.h"
#include "platform/controls/ControlMessages.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/shell/Dialog.h"
#include "platform/gdi/ImageStrip.h"

namespace {

constexpr int IDC_VERSION = 1000;
constexpr int32_t ICON_TOP = 30;

class AboutDialog : public Dialog {
public:
    AboutDialog() : Dialog(u"About Kestrelview") {
        const std::u16string version = std::u16string(u"Kestrelview Version ") + PROGRAM_VERSION;
        AddControl(WC_STATIC, IDC_VERSION, {10, ICON_TOP + PROGRAM_ICON_SIZE + 14, 230, ICON_TOP + PROGRAM_ICON_SIZE + 34},
                   version, SS_CENTER);
        AddControl(WC_BUTTON, 1, {80, 150, 160, 174}, u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP);
    }

protected:
    void OnPaint(DeviceContext& dc, const Rect&) override {
        if (!m_icon)
            m_icon = std::make_unique<ImageStrip>(MakeProgramIcon(), PROGRAM_ICON_SIZE, PROGRAM_ICON_SIZE,
                                                  0, 1, PROGRAM_ICON_KEY_COLOUR);
        m_icon->Draw(dc, 0, (GetClientRect().Width() - PROGRAM_ICON_SIZE) / 2, ICON_TOP);
    }

private:
    std::unique_ptr<ImageStrip> m_icon;
};

}  // namespace

int ShowAboutBox(HWND owner) {
    AboutDialog dialog;
    return dialog.DoModal(owner);
}
