#include "platform/framework/CommandTarget.h"

bool CommandTarget::OnCmdMsg(UINT id, int code, CommandUi* ui) { return DispatchOwn(id, code, ui); }

void CommandTarget::OnCommand(UINT id, std::function<void()> handler) {
    m_entries.push_back({id, id, [h = std::move(handler)](UINT) { h(); }, nullptr});
}

void CommandTarget::OnCommandRange(UINT first, UINT last, std::function<void(UINT)> handler) {
    m_entries.push_back({first, last, std::move(handler), nullptr});
}

void CommandTarget::OnUpdateCommand(UINT id, std::function<void(CommandUi&)> handler) {
    m_entries.push_back({id, id, nullptr, std::move(handler)});
}

void CommandTarget::OnUpdateCommandRange(UINT first, UINT last,
                                         std::function<void(CommandUi&)> handler) {
    m_entries.push_back({first, last, nullptr, std::move(handler)});
}

bool CommandTarget::DispatchOwn(UINT id, int code, CommandUi* ui) {
    bool hasCommand = false;
    for (const Entry& e : m_entries) {
        if (id < e.first || id > e.last)
            continue;
        if (code == CN_COMMAND && e.command) {
            e.command(id);
            return true;
        }
        if (code == CN_UPDATE_COMMAND_UI && e.update && ui) {
            e.update(*ui);
            return true;
        }
        hasCommand = hasCommand || e.command != nullptr;
    }
    // A command someone carries out but nobody updates is simply enabled.
    if (code == CN_UPDATE_COMMAND_UI && hasCommand && ui) {
        ui->Enable(true);
        return true;
    }
    return false;
}
