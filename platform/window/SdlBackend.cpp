#include "platform/window/SdlBackend.h"

#include <SDL2/SDL.h>

#include <algorithm>

#include <string>

#include "platform/base/Text.h"
#include "platform/window/WindowManager.h"

namespace {

uint32_t VirtualKeyFromSdl(SDL_Keycode key) {
    switch (key) {
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    default: break;
    }
    // Letters and digits are keys too (for Ctrl combinations); their
    // characters arrive separately as text input.
    if (key >= SDLK_a && key <= SDLK_z)
        return uint32_t('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9)
        return uint32_t('0' + (key - SDLK_0));
    return 0;
}

}  // namespace

std::unique_ptr<SdlBackend> SdlBackend::Open(int scale, bool fullScreen, std::string* error) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        if (error)
            *error = SDL_GetError();
        return nullptr;
    }
    std::unique_ptr<SdlBackend> backend(new SdlBackend());
    scale = std::clamp(scale, 1, 8);
    const Uint32 flags = fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    backend->m_window = SDL_CreateWindow("Kestrelview", SDL_WINDOWPOS_CENTERED,
                                         SDL_WINDOWPOS_CENTERED, SCREEN_WIDTH * scale,
                                         SCREEN_HEIGHT * scale, flags);
    if (backend->m_window)
        backend->m_renderer = SDL_CreateRenderer(backend->m_window, -1, 0);
    if (backend->m_renderer) {
        SDL_RenderSetLogicalSize(backend->m_renderer, SCREEN_WIDTH, SCREEN_HEIGHT);
        backend->m_texture = SDL_CreateTexture(backend->m_renderer, SDL_PIXELFORMAT_RGB888,
                                               SDL_TEXTUREACCESS_STREAMING, SCREEN_WIDTH,
                                               SCREEN_HEIGHT);
    }
    if (!backend->m_texture) {
        if (error)
            *error = SDL_GetError();
        return nullptr;
    }
    SDL_StartTextInput();
    return backend;
}

void SdlBackend::SetBusy(bool busy) {
    if (busy && !m_busyCursor)
        m_busyCursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
    SDL_SetCursor(busy && m_busyCursor ? m_busyCursor : SDL_GetDefaultCursor());
}

void SdlBackend::Raise() {
    if (m_window)
        SDL_RaiseWindow(m_window);
}

SdlBackend::~SdlBackend() {
    if (m_busyCursor)
        SDL_FreeCursor(m_busyCursor);
    if (m_texture)
        SDL_DestroyTexture(m_texture);
    if (m_renderer)
        SDL_DestroyRenderer(m_renderer);
    if (m_window)
        SDL_DestroyWindow(m_window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

Point SdlBackend::ToScreen(int32_t x, int32_t y) const {
    // With a logical size set, SDL reports mouse positions in it already.
    return {std::clamp(x, 0, SCREEN_WIDTH - 1), std::clamp(y, 0, SCREEN_HEIGHT - 1)};
}

bool SdlBackend::Handle(WindowManager& manager, const void* raw) {
    const SDL_Event& e = *static_cast<const SDL_Event*>(raw);
    switch (e.type) {
    case SDL_QUIT:
        m_closed = true;
        return false;
    case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT) {
            m_buttonDown = true;
            manager.InjectInput({InputKind::StylusDown, ToScreen(e.button.x, e.button.y), 0, 0});
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT && m_buttonDown) {
            m_buttonDown = false;
            manager.InjectInput({InputKind::StylusUp, ToScreen(e.button.x, e.button.y), 0, 0});
        }
        break;
    case SDL_MOUSEMOTION:
        if (m_buttonDown)
            manager.InjectInput({InputKind::StylusMove, ToScreen(e.motion.x, e.motion.y), 0, 0});
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (const uint32_t key = VirtualKeyFromSdl(e.key.keysym.sym))
            manager.InjectInput({e.type == SDL_KEYDOWN ? InputKind::KeyDown : InputKind::KeyUp,
                                 {}, key, 0});
        break;
    case SDL_TEXTINPUT:
        for (char16_t c : Utf8ToUtf16(e.text.text))
            manager.InjectInput({InputKind::Char, {}, 0, c});
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED)
            Present(manager.Screen(), {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT});
        break;
    default:
        break;
    }
    return true;
}

void SdlBackend::Poll(WindowManager& manager) {
    SDL_Event e;
    while (!m_closed && SDL_PollEvent(&e))
        Handle(manager, &e);
}

bool SdlBackend::Wait(WindowManager& manager, uint32_t timeoutMs) {
    if (m_closed)
        return false;
    SDL_Event e;
    const int timeout = timeoutMs == WAIT_FOREVER ? -1 : int(std::min<uint32_t>(timeoutMs, 1 << 30));
    if (manager.EventDescriptors().empty()) {
        const int got = timeout < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeout);
        if (got)
            Handle(manager, &e);
        return !m_closed;
    }
    // SDL cannot wait on descriptors of its own: wait on them in short
    // slices between looks at SDL's queue.
    constexpr int SLICE_MS = 15;
    const uint32_t start = SDL_GetTicks();
    for (;;) {
        if (SDL_PollEvent(&e)) {
            Handle(manager, &e);
            return !m_closed;
        }
        const int waited = int(SDL_GetTicks() - start);
        if (timeout >= 0 && waited >= timeout)
            return !m_closed;
        const int slice = timeout < 0 ? SLICE_MS : std::min(SLICE_MS, timeout - waited);
        if (manager.DispatchEventSources(slice) > 0)
            return !m_closed;
    }
}

void SdlBackend::Present(const Bitmap& screen, const Rect&) {
    // The whole screen is small; sending it whole keeps this simple.
    SDL_UpdateTexture(m_texture, nullptr, screen.Data(), int(screen.Stride()));
    SDL_RenderClear(m_renderer);
    SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
    SDL_RenderPresent(m_renderer);
}
