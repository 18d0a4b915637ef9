#include "dialogs/ViewPrefsDlg.h"

#include "dialogs/DialogIds.h"
#include "handheld/CameraOrientationPreference.h"
#include "handheld/PreferencesBatch.h"
#include "platform/controls/ControlMessages.h"
#include "platform/controls/DataExchange.h"
#include "platform/fonts/SystemFont.h"
#include "platform/window/WindowManager.h"

namespace {

// In column id order, so that the entry's index is the stored "Sort Column".
constexpr const char16_t* SORT_ENTRIES[] = {u"Location", u"Name",  u"Category", u"Size",
                                            u"Dimensions", u"Date", u"Note"};

constexpr uint32_t CHECK = BS_AUTOCHECKBOX | WS_TABSTOP;

}  // namespace

ViewPrefsDlg::ViewPrefsDlg() : Dialog(u"View Preferences") {
    AddControl(WC_STATIC, IDC_PREFS_HEADING, {6, 4, 234, 20}, u"Preferences", SS_LEFT);
    AddControl(WC_STATIC, IDC_STATIC_TEXT, {6, 29, 62, 45}, u"Sort By:", SS_LEFT);
    AddControl(WC_COMBOBOX, IDC_SORT_BY, {64, 26, 234, 160}, u"", CBS_DROPDOWNLIST | WS_TABSTOP);
    AddControl(WC_BUTTON, IDC_SORT_ASCENDING, {6, 52, 234, 70}, u"Ascending Sort", CHECK);
    AddControl(WC_BUTTON, IDC_STATIC_TEXT, {4, 76, 236, 158}, u"List View Columns", BS_GROUPBOX);
    AddControl(WC_BUTTON, IDC_SHOW_LOCATION, {12, 94, 118, 112}, u"Location", CHECK);
    AddControl(WC_BUTTON, IDC_SHOW_CATEGORY, {122, 94, 232, 112}, u"Category", CHECK);
    AddControl(WC_BUTTON, IDC_SHOW_SIZE, {12, 114, 118, 132}, u"Size", CHECK);
    AddControl(WC_BUTTON, IDC_SHOW_DIMENSIONS, {122, 114, 232, 132}, u"Dimensions", CHECK);
    AddControl(WC_BUTTON, IDC_SHOW_DATE, {12, 134, 118, 152}, u"Date", CHECK);
    AddControl(WC_BUTTON, IDC_SHOW_NOTE, {122, 134, 232, 152}, u"Note", CHECK);
    AddControl(WC_BUTTON, IDC_AUTO_ROTATE, {6, 166, 234, 184}, u"Auto Rotate Images", CHECK);
    AddControl(WC_BUTTON, IDC_FOLLOW_CAMERA, {6, 188, 234, 206}, u"Follow camera orientation", CHECK);
    AddControl(WC_BUTTON, IDC_DEFAULT_VIEWER, {6, 210, 234, 228}, u"Use as default viewer for JPGs",
               CHECK);
}

bool ViewPrefsDlg::OnInitDialog() {
    if (Window* heading = GetDlgItem(IDC_PREFS_HEADING))
        SendMessage(heading, WM_SETFONT, reinterpret_cast<WPARAM>(GetUiFont(UiFont::Bold)), 0);
    if (Window* sortBy = GetDlgItem(IDC_SORT_BY))
        for (const char16_t* entry : SORT_ENTRIES)
            SendMessage(sortBy, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    ReadPreferences();
    return Dialog::OnInitDialog();
}

void ViewPrefsDlg::ReadPreferences() {
    m_sortIndex = GetSortColumn();
    m_ascending = GetSortAscending();
    m_showLocation = GetShowColumn(COLUMN_LOCATION);
    m_showCategory = GetShowColumn(COLUMN_CATEGORY);
    m_showSize = GetShowColumn(COLUMN_SIZE);
    m_showDimensions = GetShowColumn(COLUMN_DIMENSIONS);
    m_showDate = GetShowColumn(COLUMN_DATE);
    m_showNote = GetShowColumn(COLUMN_NOTE);
    m_autoRotate = GetAutoRotate();
    m_defaultViewer = GetUseAsDefaultViewer();
    m_followCamera = GetFollowCameraOrientation();
}

void ViewPrefsDlg::DoDataExchange(DataExchange& exchange) {
    DDX_CBIndex(exchange, IDC_SORT_BY, m_sortIndex);
    DDX_Check(exchange, IDC_SORT_ASCENDING, m_ascending);
    DDX_Check(exchange, IDC_SHOW_LOCATION, m_showLocation);
    DDX_Check(exchange, IDC_SHOW_CATEGORY, m_showCategory);
    DDX_Check(exchange, IDC_SHOW_SIZE, m_showSize);
    DDX_Check(exchange, IDC_SHOW_DIMENSIONS, m_showDimensions);
    DDX_Check(exchange, IDC_SHOW_DATE, m_showDate);
    DDX_Check(exchange, IDC_SHOW_NOTE, m_showNote);
    DDX_Check(exchange, IDC_AUTO_ROTATE, m_autoRotate);
    DDX_Check(exchange, IDC_FOLLOW_CAMERA, m_followCamera);
    DDX_Check(exchange, IDC_DEFAULT_VIEWER, m_defaultViewer);
}

void ViewPrefsDlg::OnOK() {
    if (!UpdateData(true))
        return;
    // No entry chosen: there is no column to store, so the dialog waits.
    if (m_sortIndex < 0 || m_sortIndex >= int(COLUMN_COUNT)) {
        if (Window* sortBy = GetDlgItem(IDC_SORT_BY))
            SetFocus(sortBy);
        return;
    }
    WritePreferences();
    EndDialog(IDOK);
}

void ViewPrefsDlg::WritePreferences() const {
    CPreferencesBatch batch;
    SetSortColumn(uint8_t(m_sortIndex));
    SetSortAscending(m_ascending != 0);
    // Each column changes only its own bit of the stored mask.
    SetShowColumn(COLUMN_LOCATION, m_showLocation != 0);
    SetShowColumn(COLUMN_CATEGORY, m_showCategory != 0);
    SetShowColumn(COLUMN_SIZE, m_showSize != 0);
    SetShowColumn(COLUMN_DIMENSIONS, m_showDimensions != 0);
    SetShowColumn(COLUMN_DATE, m_showDate != 0);
    SetShowColumn(COLUMN_NOTE, m_showNote != 0);
    SetAutoRotate(m_autoRotate != 0);
    SetFollowCameraOrientation(m_followCamera != 0);
    SetUseAsDefaultViewer(m_defaultViewer != 0);
    batch.Commit();  // a failure is silent, as for every preference
}
