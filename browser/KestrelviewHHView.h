#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "browser/KestrelviewView.h"

class CFlatComboBox;

// What the browser asks of its frame: show which mode button is pressed.
class ModeButtonHost {
public:
    virtual ~ModeButtonHost() = default;
    virtual void PressModeButton(UINT command) = 0;
};

// The browser view. It scans the device's photos at start and shows them
// in the list or the grid by the mode; the four modes switch and press
// their button, private listing toggles its menu text, and the commands
// whose screens are not there yet say so.
class CKestrelviewHHView : public CKestrelviewView {
public:
    CKestrelviewHHView();
    ~CKestrelviewHHView() override;

    uint32_t Mode() const { return m_mode; }
    bool ShowsPrivate() const { return m_showPrivate; }
    // The path of the last image chosen through the image-selected message.
    const std::u16string& SelectedPath() const { return m_selectedPath; }
    // The commands shown as not there yet, most recent last.
    const std::u16string& LastUnavailable() const { return m_lastUnavailable; }

    CFlatComboBox* LocationSelector() const { return m_location.get(); }
    CFlatComboBox* CategorySelector() const { return m_category.get(); }

    // The record last shown alone (none yet).
    const CImageItem* ShownRecord() const { return m_shown; }

    void OnInitialUpdate() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void OnDraw(DeviceContext& dc, const Rect& paint) override;
    void ShowImage(CImageItem* record, bool hideList) override;

private:
    void InitialLoad();
    void ShowMode();
    HWND ModeControl();
    void SetMode(uint32_t mode, UINT command);
    void Unavailable(std::u16string_view what);
    void AddModeCommands();
    void AddPendingCommands();
    void CreateSelectors();

    uint32_t m_mode;
    bool m_showPrivate = false;
    const CImageItem* m_shown = nullptr;
    std::u16string m_selectedPath;
    std::u16string m_lastUnavailable;
    std::unique_ptr<CFlatComboBox> m_location;
    std::unique_ptr<CFlatComboBox> m_category;
};
