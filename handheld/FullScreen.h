#pragma once

// The program's full-screen switch. The frame owns it; views and dialogs
// reach it here without knowing the frame.
class CFullScreenSwitch {
public:
    // Returns 1 when the screen changed, 0 when it already was as asked.
    virtual int SetFullScreen(bool on, bool force) = 0;
    virtual bool IsFullScreen() const = 0;

protected:
    ~CFullScreenSwitch() = default;
};

// The running program's switch, or nullptr before the frame exists and
// after it is gone.
CFullScreenSwitch* GetFullScreenSwitch();
void SetFullScreenSwitch(CFullScreenSwitch* fullScreen);

// Full screen for the lifetime of the object: entering it changes the
// screen only when it was not so already, and leaving undoes only what
// entering did, unless Keep() made the state stay.
class CFullScreenScope {
public:
    CFullScreenScope(CFullScreenSwitch* fullScreen, bool state);
    explicit CFullScreenScope(bool state);
    ~CFullScreenScope();
    CFullScreenScope(const CFullScreenScope&) = delete;
    CFullScreenScope& operator=(const CFullScreenScope&) = delete;

    void Keep();
    bool Changed() const { return m_changed; }

private:
    CFullScreenSwitch* m_switch;
    bool m_state;
    bool m_changed = false;
    bool m_keep = false;
};
