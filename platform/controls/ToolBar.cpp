#include "platform/controls/ToolBar.h"

#include "platform/controls/ControlMessages.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/window/WindowManager.h"

namespace {

// Pixels darker than this are the image's ink; lighter ones vanish in the
// greyed look.
constexpr int INK_LIMIT = 192;

int Luminance(uint32_t pixel) {
    const int r = int((pixel >> 16) & 0xFF), g = int((pixel >> 8) & 0xFF), b = int(pixel & 0xFF);
    return (r * 30 + g * 59 + b * 11) / 100;
}

// The disabled look of each image, etched: the ink in shadow grey with a
// white copy one pixel down and right, everything else transparent.
std::unique_ptr<Bitmap> MakeGreyedStrip(const Bitmap& strip, int32_t imageWidth, COLORREF key) {
    auto greyed = Bitmap::Create(strip.Width(), strip.Height(), 32);
    if (!greyed) return nullptr;
    const uint32_t keyPixel = PixelFromColour(key);
    for (int32_t y = 0; y < strip.Height(); ++y)
        for (int32_t x = 0; x < strip.Width(); ++x) greyed->SetValue(x, y, keyPixel);
    auto isInk = [&](int32_t x, int32_t y) {
        const uint32_t v = strip.Value(x, y);
        return v != keyPixel && Luminance(v) < INK_LIMIT;
    };
    for (int32_t y = 0; y < strip.Height(); ++y)
        for (int32_t x = 0; x < strip.Width(); ++x) {
            const bool sameCell = (x + 1) % imageWidth != 0 && y + 1 < strip.Height();
            if (isInk(x, y) && sameCell && !isInk(x + 1, y + 1))
                greyed->SetValue(x + 1, y + 1, PixelFromColour(TOOLBAR_HIGHLIGHT));
        }
    for (int32_t y = 0; y < strip.Height(); ++y)
        for (int32_t x = 0; x < strip.Width(); ++x)
            if (isInk(x, y)) greyed->SetValue(x, y, PixelFromColour(TOOLBAR_SHADOW));
    return greyed;
}

}  // namespace

ToolBar::ToolBar() = default;

ToolBar::~ToolBar() {
    m_bubble.Destroy();
    Destroy();
}

bool ToolBar::AddButtons(std::unique_ptr<Bitmap> images, int32_t imageWidth, int32_t imageHeight,
                         const std::vector<ToolButton>& buttons, COLORREF keyColour) {
    if (!images || images->IsMono() || imageWidth <= 0 || imageHeight <= 0 ||
        images->Height() < imageHeight)
        return false;
    const int32_t count = images->Width() / imageWidth;
    for (const ToolButton& b : buttons)
        if (b.command != 0 && (b.image < 0 || b.image >= count)) return false;
    auto greyed = MakeGreyedStrip(*images, imageWidth, keyColour);
    if (!greyed) return false;

    m_images = std::make_unique<ImageStrip>(std::move(images), imageWidth, imageHeight, 0, 1,
                                            keyColour);
    m_greyed = std::make_unique<ImageStrip>(std::move(greyed), imageWidth, imageHeight, 0, 1,
                                            keyColour);
    m_imageWidth = imageWidth;
    m_imageHeight = imageHeight;
    m_imageCount = count;
    for (const ToolButton& b : buttons) m_buttons.push_back({b.command, b.image, {}});
    Layout();
    InvalidateRect(this, nullptr, true);
    return true;
}

void ToolBar::SetToolTips(std::vector<std::u16string> texts) {
    m_tips = std::move(texts);
    Layout();
}

void ToolBar::Layout() {
    const int32_t top = (GetClientRect().Height() - TOOLBAR_BUTTON_HEIGHT) / 2;
    int32_t x = 0;
    int tip = 0;
    for (Button& b : m_buttons) {
        const int32_t width = b.command ? TOOLBAR_BUTTON_WIDTH : TOOLBAR_SEPARATOR_WIDTH;
        b.rect = {x, top, x + width, top + TOOLBAR_BUTTON_HEIGHT};
        b.tip = b.command ? tip++ : -1;
        x += width;
    }
}

ToolBar::Button* ToolBar::Find(UINT command) {
    for (Button& b : m_buttons)
        if (command != 0 && b.command == command) return &b;
    return nullptr;
}

const ToolBar::Button* ToolBar::Find(UINT command) const {
    return const_cast<ToolBar*>(this)->Find(command);
}

int ToolBar::HitTest(Point client) const {
    for (size_t i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i].command && m_buttons[i].rect.Contains(client.x, client.y)) return int(i);
    return -1;
}

bool ToolBar::PressButton(UINT command, bool pressed) {
    Button* b = Find(command);
    if (!b) return false;
    if (b->pressed != pressed) {
        b->pressed = pressed;
        Repaint(*b);
    }
    return true;
}

bool ToolBar::IsButtonPressed(UINT command) const {
    const Button* b = Find(command);
    return b && b->pressed;
}

// Called at every idle moment by the frame, so only a change repaints.
bool ToolBar::EnableButton(UINT command, bool enabled) {
    Button* b = Find(command);
    if (!b) return false;
    if (b->enabled != enabled) {
        b->enabled = enabled;
        Repaint(*b);
    }
    return true;
}

bool ToolBar::IsButtonEnabled(UINT command) const {
    const Button* b = Find(command);
    return b && b->enabled;
}

Rect ToolBar::ButtonRect(UINT command) const {
    const Button* b = Find(command);
    return b ? b->rect : Rect{};
}

std::u16string ToolBar::ToolTipOf(UINT command) const {
    const Button* b = Find(command);
    if (!b || b->tip < 0 || size_t(b->tip) >= m_tips.size()) return {};
    return m_tips[size_t(b->tip)];
}

std::optional<std::u16string> ToolBar::ShownToolTip() const {
    if (!m_bubble.IsAlive() || !m_bubble.IsVisibleFlag()) return std::nullopt;
    return m_bubble.GetWindowText();
}

void ToolBar::Repaint(const Button& button) {
    if (IsAlive()) InvalidateRect(this, &button.rect, false);
}

LRESULT ToolBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const Point point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_SIZE:
        Layout();
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnDown(point);
        return 0;
    case WM_MOUSEMOVE:
        OnMove(point);
        return 0;
    case WM_LBUTTONUP:
        OnUp(point);
        return 0;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        EndTracking();
        break;
    case WM_DESTROY:
        m_bubble.Destroy();
        break;
    default:
        break;
    }
    return DefWindowProc(message, wParam, lParam);
}

void ToolBar::OnPaint(DeviceContext& dc, const Rect&) {
    dc.FillSolidRect(GetClientRect(), TOOLBAR_FACE);
    for (const Button& b : m_buttons) PaintButton(dc, b);
}

void ToolBar::PaintButton(DeviceContext& dc, const Button& b) const {
    const Rect& r = b.rect;
    if (b.command == 0) {
        const int32_t x = r.left + r.Width() / 2 - 1;
        dc.FillSolidRect({x, r.top + 2, x + 1, r.bottom - 2}, TOOLBAR_SHADOW);
        dc.FillSolidRect({x + 1, r.top + 2, x + 2, r.bottom - 2}, TOOLBAR_HIGHLIGHT);
        return;
    }
    const bool held = m_tracking >= 0 && &m_buttons[size_t(m_tracking)] == &b &&
                      m_trackingInside && !m_holding && b.enabled;
    const bool sunken = b.pressed || held;
    if (sunken) {
        dc.FillSolidRect(r, TOOLBAR_PRESSED_FACE);
        dc.FillSolidRect({r.left, r.top, r.right, r.top + 1}, TOOLBAR_DARK_SHADOW);
        dc.FillSolidRect({r.left, r.top, r.left + 1, r.bottom}, TOOLBAR_DARK_SHADOW);
        dc.FillSolidRect({r.left + 1, r.top + 1, r.right - 1, r.top + 2}, TOOLBAR_SHADOW);
        dc.FillSolidRect({r.left + 1, r.top + 1, r.left + 2, r.bottom - 1}, TOOLBAR_SHADOW);
        dc.FillSolidRect({r.left, r.bottom - 1, r.right, r.bottom}, TOOLBAR_HIGHLIGHT);
        dc.FillSolidRect({r.right - 1, r.top, r.right, r.bottom}, TOOLBAR_HIGHLIGHT);
    }
    const int32_t shift = sunken ? 1 : 0;
    const int32_t x = r.left + (r.Width() - m_imageWidth) / 2 + shift;
    const int32_t y = r.top + (r.Height() - m_imageHeight) / 2 + shift;
    const ImageStrip* strip = b.enabled ? m_images.get() : m_greyed.get();
    if (strip) strip->Draw(dc, b.image, x, y);
}

void ToolBar::OnDown(Point client) {
    const int i = HitTest(client);
    if (i < 0) return;
    SetCapture(this);
    m_tracking = i;
    m_trackingInside = true;
    m_holding = false;
    Repaint(m_buttons[size_t(i)]);
    UpdateWindow(this);
    if (RecognizeHold(this, client) != GN_CONTEXTMENU) return;
    // Nothing is dispatched while the hold is recognised, so the press is
    // still ours.
    m_holding = true;
    Repaint(m_buttons[size_t(i)]);
    ShowToolTip(m_buttons[size_t(i)]);
}

void ToolBar::OnMove(Point client) {
    if (m_tracking < 0 || m_holding) return;
    const bool inside = HitTest(client) == m_tracking;
    if (inside != m_trackingInside) {
        m_trackingInside = inside;
        Repaint(m_buttons[size_t(m_tracking)]);
    }
}

void ToolBar::OnUp(Point client) {
    if (m_tracking < 0) return;
    const Button& b = m_buttons[size_t(m_tracking)];
    const bool click = !m_holding && b.enabled && HitTest(client) == m_tracking;
    const UINT command = b.command;
    EndTracking();
    if (!click) return;
    // The owner may destroy the bar while handling the command: nothing of
    // the bar is touched after this.
    HWND owner = m_owner ? m_owner : GetParent();
    if (owner) SendMessage(owner, WM_COMMAND, MAKEWPARAM(uint16_t(command), 0), LPARAM(HWND(this)));
}

void ToolBar::EndTracking() {
    if (m_tracking < 0) return;
    const int i = m_tracking;
    m_tracking = -1;
    m_holding = false;
    m_trackingInside = false;
    if (GetCapture() == this) ReleaseCapture();
    m_bubble.Destroy();
    Repaint(m_buttons[size_t(i)]);
}

void ToolBar::ShowToolTip(const Button& button) {
    const std::u16string text = ToolTipOf(button.command);
    if (text.empty()) return;
    // Just above the bar the tool bar sits in.
    const Window* bar = GetParent() ? GetParent() : this;
    const int32_t bottom = bar->GetWindowRect().top - 2;
    const int32_t left = ClientToScreen({button.rect.left, 0}).x;
    m_bubble.Show(text, left, bottom);
}
