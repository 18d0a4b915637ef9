#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/window/DisplayBackend.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Cursor;

// The screen in an SDL2 window, scaled by a whole factor or full screen,
// with the mouse (or a touch) as the stylus and the keyboard as the keys.
// Time is the real clock.
class SdlBackend : public DisplayBackend {
public:
    ~SdlBackend() override;
    SdlBackend(const SdlBackend&) = delete;
    SdlBackend& operator=(const SdlBackend&) = delete;

    // nullptr when SDL cannot open a window (no display); `error` says why.
    static std::unique_ptr<SdlBackend> Open(int scale, bool fullScreen, std::string* error);

    void Poll(WindowManager& manager) override;
    bool Wait(WindowManager& manager, uint32_t timeoutMs) override;
    void Present(const Bitmap& screen, const Rect& dirty) override;
    void SetBusy(bool busy) override;
    void Raise() override;

private:
    SdlBackend() = default;
    bool Handle(WindowManager& manager, const void* event);
    Point ToScreen(int32_t x, int32_t y) const;

    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    SDL_Cursor* m_busyCursor = nullptr;
    bool m_closed = false;
    bool m_buttonDown = false;
};
