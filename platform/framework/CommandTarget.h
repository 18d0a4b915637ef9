#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window/WindowMessages.h"

// How a command travels: carried out (CN_COMMAND) or asked for its state
// (CN_UPDATE_COMMAND_UI).
constexpr int CN_COMMAND = 0;
constexpr int CN_UPDATE_COMMAND_UI = -1;

// Commands the framework itself knows.
constexpr UINT ID_APP_ABOUT = 57664;
constexpr UINT ID_APP_EXIT = 57665;

// The state of one command as its update handler sets it. Menus and bars
// derive to apply the state to their item at once.
class CommandUi {
public:
    explicit CommandUi(UINT id) : m_id(id) {}
    virtual ~CommandUi() = default;

    UINT Id() const { return m_id; }
    virtual void Enable(bool on = true) { m_enabled = on; m_touched = true; }
    virtual void SetCheck(int check = 1) { m_check = check; m_touched = true; }
    virtual void SetText(std::u16string_view text) { m_text = std::u16string(text); m_touched = true; }

    bool IsEnabled() const { return m_enabled; }
    int GetCheck() const { return m_check; }
    const std::optional<std::u16string>& GetText() const { return m_text; }
    // Whether an update handler set anything.
    bool Touched() const { return m_touched; }

private:
    UINT m_id;
    bool m_enabled = true;
    int m_check = 0;
    std::optional<std::u16string> m_text;
    bool m_touched = false;
};

// Something that takes commands: a table of handlers for single ids and
// ranges, filled by the constructor of each class, and a route along which
// a command not handled here travels on.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;

    // True when a handler took the command. For CN_UPDATE_COMMAND_UI `ui`
    // receives the state; a command with a handler but no update handler
    // is enabled, one with neither is left alone (false).
    virtual bool OnCmdMsg(UINT id, int code, CommandUi* ui);

protected:
    void OnCommand(UINT id, std::function<void()> handler);
    void OnCommandRange(UINT first, UINT last, std::function<void(UINT)> handler);
    void OnUpdateCommand(UINT id, std::function<void(CommandUi&)> handler);
    void OnUpdateCommandRange(UINT first, UINT last, std::function<void(CommandUi&)> handler);

    // This target's own table only.
    bool DispatchOwn(UINT id, int code, CommandUi* ui);

private:
    struct Entry {
        UINT first;
        UINT last;
        std::function<void(UINT)> command;
        std::function<void(CommandUi&)> update;
    };
    std::vector<Entry> m_entries;
};
