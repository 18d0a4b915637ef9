#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "browser/ChoiceMenus.h"
#include "browser/KestrelviewView.h"
#include "catalogue/ImageScanner.h"
#include "dialogs/BrowserServices.h"
#include "viewer/PhotoWnd.h"
#include "viewer/SlideShow.h"

class CFlatComboBox;
class CHeldRecord;
class CImagePopupMenu;
class ImageDetailsDlg;

// What the browser asks of its frame: show which mode button is pressed.
class ModeButtonHost {
public:
    virtual ~ModeButtonHost() = default;
    virtual void PressModeButton(UINT command) = 0;
};

// The browser view: the location and category selectors over the photos
// of the chosen location and category, in the list or in the grid by the
// mode, or one photo alone in the photo window, from which the slide show
// runs. It carries out the Tools commands, the selectors' choices and the
// photo popup menu, and gives the dialogs its locations and categories.
//
// Every record pointer it or an open menu keeps is dropped when the
// catalogue gives the record up (OnRecordRemoving), so that nothing is
// used after it was freed.
class CKestrelviewHHView : public CKestrelviewView,
                           public BrowserServices,
                           public PhotoWndHost,
                           public SlideShowHost,
                           public RecordRemovalListener {
public:
    CKestrelviewHHView();
    ~CKestrelviewHHView() override;

    uint32_t Mode() const { return m_mode; }
    uint32_t PreviousMode() const { return m_previousMode; }
    bool ShowsPrivate() const { return Catalogue().GetShowPrivate(); }
    // The commands shown as not there yet, most recent last.
    const std::u16string& LastUnavailable() const { return m_lastUnavailable; }

    CFlatComboBox* LocationSelector() const { return m_location.get(); }
    CFlatComboBox* CategorySelector() const { return m_category.get(); }
    CPhotoWnd& Photo() { return m_photo; }
    CSlideShow& SlideShow() { return m_slideShow; }
    // The record shown alone (none outside the single photo).
    const CImageItem* ShownRecord() const { return m_photo.GetImage(); }
    // The record an open popup menu or dialog acts on, none otherwise.
    const CImageItem* ActedOnRecord() const;
    // Whether the shell's change notifications reach the view.
    bool HearsChanges() const { return m_changesRegistered; }
    // The choices of the selectors' popups as they were last built.
    const LocationChoices& LocationItems() const { return m_locationChoices; }
    const CategoryChoices& CategoryItems() const { return m_categoryChoices; }

    void OnInitialUpdate() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The photo popup menu over a record at a screen point; carries the
    // choice out (except "Zoom", left to the photo window) and returns it,
    // 0 when dismissed or when the record went away meanwhile.
    UINT ShowImagePopup(CImageItem& record, Point screen, bool single);

    // Refills both selector popups and their texts, then the list.
    void BuildFilterMenus();
    // Scans every location into the catalogue (caches used unless forced).
    void Rescan(bool force);
    // Refills the list (when asked) and refreshes the grid.
    void RefreshFully(bool refillList = true);

    // BrowserServices.
    CCategoryDB& Categories() override { return CKestrelviewView::Categories(); }
    CFolderList& Locations() override { return CKestrelviewView::Locations(); }
    void FillLocationCombo(HWND combo, std::u16string_view path) override;
    void FillCategoryCombo(HWND combo, bool withAll, const RecordId& category) override;
    void FillCategoryListBox(HWND listBox) override;
    void OnCategoryCreated(const RecordId& id) override;
    void OnCategoryRemoved(const RecordId& id, bool keepImages) override;
    void RepaintView() override;
    bool HoldsRecord(const CImageItem* record) const override;

    // PhotoWndHost.
    UINT ShowImagePopup(CImageItem& record, Point screen) override { return ShowImagePopup(record, screen, true); }

    // SlideShowHost.
    CImageItem* SlideStart() override;
    CImageItem* SlideAfter(CImageItem* record, bool random) override;
    int DisplayedCount() override;
    void ShowSlide(CImageItem& record) override;
    void SlideShowEnded() override;

    // RecordRemovalListener.
    void OnRecordRemoving(const CImageItem& record) override;

protected:
    void OnDraw(DeviceContext& dc, const Rect& paint) override;
    void ShowImage(CImageItem* record, bool hideList) override;
    void ShowImageMenu(CImageItem* record, Point screen) override;
    // The record's category changed: its row and cell follow the filter.
    void OnRecordCategoryChanged(const RecordId& oldCategory, CImageItem* record);

    // The commands whose dialogs come with their own screens; each says it
    // is not available yet until its dialog is wired in here.
    void OnPreferences();
    void OnSlideshowPreferences();
    void OnEditCategories();
    void OnCategorizeAll();
    void OnMoveAll();
    void OnDetails(CImageItem& record);

private:
    // Creation and loading (KestrelviewHHView.cpp).
    void CreateSelectors();
    void InitialLoad();
    void ShowMode();
    HWND ModeControl();
    void SetMode(uint32_t mode, UINT command);
    void PressModeButton(uint32_t mode);
    void Unavailable(std::u16string_view what);
    void AddModeCommands();

    // The selectors (KestrelviewHHViewFilters.cpp).
    void AddFilterCommands();
    void BuildLocationMenu();
    void BuildCategoryMenu();
    void UpdateSelectorTexts();
    void ChooseLocation(std::u16string_view path);
    void ChooseCategory(const RecordId& category);

    // One photo alone (KestrelviewHHViewSingle.cpp).
    void CreatePhotoWindow();
    void LeaveSingle();
    void StepImage(bool forward);
    LRESULT OnSingleKey(UINT message, WPARAM key, LPARAM lParam);

    // The photo popup's commands (KestrelviewHHViewImage.cpp).
    void CarryOut(UINT command, CHeldRecord& held, const CImagePopupMenu& menu);
    bool StillThere(const CHeldRecord& held);
    void DeleteImage(CHeldRecord& held);
    void RemoveImage(CImageItem& record);
    void MoveImage(CImageItem& record, const std::u16string& locationPath);
    void FileImage(CImageItem& record, const RecordId& category);
    void EditNote(CHeldRecord& held);
    void SendImage(UINT command, CImageItem& record);
    void ApplyDetails(CImageItem& record, const ImageDetailsDlg& dialog);

    // Files and cards changed outside (KestrelviewHHViewChanges.cpp).
    void RegisterForChanges();
    void DeregisterForChanges();
    CImageScanner Scanner();
    LRESULT OnFileChange(LPARAM lParam);
    void OnDriveAdded(std::u16string_view card);
    void OnDriveRemoved(std::u16string_view card);
    void OnItemCreated(std::u16string_view path);
    void OnItemDeleted(std::u16string_view path);
    void OnItemRenamed(std::u16string_view oldPath, std::u16string_view newPath);

    // The Tools menu (KestrelviewHHViewTools.cpp).
    void AddToolsCommands();
    void OnRefresh();
    void OnDeleteAll();
    void OnTogglePrivate();
    void OnSetPassword();
    void OnSlideshow();

    uint32_t m_mode;
    uint32_t m_previousMode;
    std::u16string m_lastUnavailable;
    std::unique_ptr<CFlatComboBox> m_location;
    std::unique_ptr<CFlatComboBox> m_category;
    LocationChoices m_locationChoices;
    CategoryChoices m_categoryChoices;
    CPhotoWnd m_photo;
    CSlideShow m_slideShow;
    // The record an open popup or dialog acts on (none otherwise).
    CHeldRecord* m_actedOn = nullptr;
    bool m_loaded = false;
    bool m_changesRegistered = false;
};
