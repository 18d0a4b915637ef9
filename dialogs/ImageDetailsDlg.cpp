#include "dialogs/ImageDetailsDlg.h"

#include "catalogue/CategoryDB.h"
#include "catalogue/FileOperations.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItem.h"
#include "catalogue/StringTable.h"
#include "dialogs/AnsiTextGuard.h"
#include "dialogs/BrowserServices.h"
#include "dialogs/DialogIds.h"
#include "dialogs/NoteDlg.h"
#include "handheld/CameraOrientationPreference.h"
#include "imaging/ImageRenderer.h"
#include "imaging/OrientedRender.h"
#include "platform/base/File.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"
#include "platform/controls/ComboBoxControl.h"
#include "platform/controls/ControlMessages.h"
#include "platform/controls/DataExchange.h"
#include "platform/fonts/SystemFont.h"
#include "platform/gdi/GdiHelpers.h"
#include "platform/shell/MessageBoxWindow.h"
#include "platform/shell/Shell.h"
#include "platform/window/WindowManager.h"

namespace {

constexpr uint32_t STRING_CONFIRM_DELETE = 130;

// Everything the user types into stays above the raised input panel
// (client y 188): the name field is the only text field.
void AddTemplate(Dialog& d) {
    d.AddControl(WC_STATIC, IDC_DETAILS_HEADING, {6, 4, 234, 20}, u"Image Details", SS_LEFT);
    d.AddControl(WC_STATIC, IDC_DETAILS_HINT, {6, 4, 234, 20}, ANSI_HINT, SS_LEFT, false);
    d.AddControl(WC_STATIC, IDC_STATIC_TEXT, {6, 29, 64, 45}, u"Name:", SS_LEFT);
    d.AddControl(WC_EDIT, IDC_DETAILS_NAME, {66, 26, 234, 46}, u"", ES_AUTOHSCROLL | WS_TABSTOP);
    d.AddControl(WC_STATIC, IDC_STATIC_TEXT, {6, 55, 64, 71}, u"Location:", SS_LEFT);
    d.AddControl(WC_COMBOBOX, IDC_DETAILS_LOCATION, {66, 52, 234, 160}, u"",
                 CBS_DROPDOWNLIST | WS_TABSTOP);
    d.AddControl(WC_STATIC, IDC_STATIC_TEXT, {6, 81, 64, 97}, u"Category:", SS_LEFT);
    d.AddControl(WC_COMBOBOX, IDC_DETAILS_CATEGORY, {66, 78, 234, 200}, u"",
                 CBS_DROPDOWNLIST | WS_TABSTOP);
    d.AddControl(WC_STATIC, IDC_DETAILS_THUMBNAIL, {6, 106, 82, 182}, u"", SS_LEFT, false);
    d.AddControl(WC_STATIC, IDC_STATIC_TEXT, {90, 106, 128, 122}, u"Res:", SS_LEFT);
    d.AddControl(WC_STATIC, IDC_DETAILS_RESOLUTION, {130, 106, 234, 122}, u"", SS_LEFT);
    d.AddControl(WC_STATIC, IDC_STATIC_TEXT, {90, 126, 128, 142}, u"Size:", SS_LEFT);
    d.AddControl(WC_STATIC, IDC_DETAILS_SIZE, {130, 126, 234, 142}, u"", SS_LEFT);
    d.AddControl(WC_BUTTON, IDC_DETAILS_PRIVATE, {90, 148, 234, 166}, u"Private",
                 BS_AUTOCHECKBOX | WS_TABSTOP);
    d.AddControl(WC_STATIC, IDC_STATIC_TEXT, {6, 190, 44, 206}, u"Date:", SS_LEFT);
    d.AddControl(WC_STATIC, IDC_DETAILS_DATE, {46, 190, 234, 206}, u"", SS_LEFT);
    d.AddControl(WC_BUTTON, IDC_DETAILS_NOTE, {6, 216, 116, 240}, u"Note...",
                 BS_PUSHBUTTON | WS_TABSTOP);
    d.AddControl(WC_BUTTON, IDC_DETAILS_DELETE, {124, 216, 234, 240}, u"Delete...",
                 BS_PUSHBUTTON | WS_TABSTOP);
}

uint32_t OpenForReading(File& file, const std::u16string& path) {
    uint32_t opened = file.Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    // A photo opened from the command line may lie outside the device.
    if (opened != 0 && !path.empty() && path[0] == u'/')
        opened = file.OpenHost(Utf16ToUtf8(path), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    return opened;
}

}  // namespace

ImageDetails ImageDetails::Of(CImageItem& record) {
    ImageDetails details;
    details.name = record.Title();
    details.location = record.GetPath();
    details.resolution = record.DimensionsText();
    details.size = record.SizeText();
    details.date = record.DateText() + u" " + record.TimeText();
    details.isPrivate = record.IsPrivate();
    return details;
}

ImageDetailsDlg::ImageDetailsDlg(BrowserServices& services, CImageItem& record, ImageDetails details)
    : Dialog(u"Image Details"),
      m_services(services),
      m_record(record),
      m_details(std::move(details)),
      m_private(m_details.isPrivate ? 1 : 0),
      m_category(record.GetCategory()),
      m_path(record.GetPath()) {
    AddTemplate(*this);
}

ImageDetailsDlg::~ImageDetailsDlg() = default;

bool ImageDetailsDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    if (Window* heading = GetDlgItem(IDC_DETAILS_HEADING))
        SendMessage(heading, WM_SETFONT, reinterpret_cast<WPARAM>(GetUiFont(UiFont::Bold)), 0);
    FillCombos();
    MakeThumbnail();
    // The category is what is changed most; the name field raises the
    // panel over the lower half only when the user goes to it.
    if (Window* category = GetDlgItem(IDC_DETAILS_CATEGORY)) {
        SetFocus(category);
        return false;
    }
    return true;
}

void ImageDetailsDlg::FillCombos() {
    if (Window* category = GetDlgItem(IDC_DETAILS_CATEGORY))
        m_services.FillCategoryCombo(category, false, m_category);
    auto* location = GetControl<ComboBoxControl>(IDC_DETAILS_LOCATION);
    if (!location)
        return;
    m_services.FillLocationCombo(location, m_details.location);
    // The browser's location objects go with a removed card: keep their
    // paths instead, and make each entry's data its index among them.
    m_locationPaths.clear();
    for (int i = 0; i < location->GetCount(); ++i) {
        const auto* item = reinterpret_cast<const CFolderItem*>(location->GetItemData(i));
        m_locationPaths.push_back(item ? item->GetPath() : std::u16string());
        location->SetItemData(i, LPARAM(i));
    }
}

void ImageDetailsDlg::DoDataExchange(DataExchange& exchange) {
    DDX_Text(exchange, IDC_DETAILS_NAME, m_details.name);
    DDX_Text(exchange, IDC_DETAILS_RESOLUTION, m_details.resolution);
    DDX_Text(exchange, IDC_DETAILS_SIZE, m_details.size);
    DDX_Text(exchange, IDC_DETAILS_DATE, m_details.date);
    DDX_Check(exchange, IDC_DETAILS_PRIVATE, m_private);
}

Rect ImageDetailsDlg::ThumbnailRect() const {
    const Window* area = GetDlgItem(IDC_DETAILS_THUMBNAIL);
    if (!area)
        return {};
    const Rect dialog = GetWindowRect();
    return area->GetWindowRect().Offset(-dialog.left, -dialog.top);
}

// Made once, while the record is surely there; painting uses only the copy.
void ImageDetailsDlg::MakeThumbnail() {
    Rect target = ThumbnailRect();
    File file;
    if (target.IsEmpty() || OpenForReading(file, m_record.GetPath()) != 0)
        return;
    ImageRenderer renderer;
    const uint32_t flags = RENDER_TO_BITMAP | RENDER_NO_ROTATE;
    std::unique_ptr<Bitmap> picture;
    const int result = GetFollowCameraOrientation()
                           ? RenderOrientedToBitmap(renderer, file, target, flags, picture)
                           : renderer.RenderToBitmap(nullptr, file, target, flags, picture);
    if (result == 0)
        m_thumbnail = std::move(picture);
}

void ImageDetailsDlg::OnPaint(DeviceContext& dc, const Rect&) {
    if (m_thumbnail)
        DrawBitmapInRect(dc, ThumbnailRect(), *m_thumbnail, true);
}

bool ImageDetailsDlg::OnCommand(int id, int code, HWND) {
    if (id == IDC_DETAILS_NAME && code == EN_SETFOCUS) {
        SipShowIM(true);
        return true;
    }
    if (id == IDC_DETAILS_NAME && code == EN_CHANGE) {
        OnNameChanged();
        return true;
    }
    if (id == IDC_DETAILS_NOTE && code == BN_CLICKED) {
        EditNote();
        return true;
    }
    if (id == IDC_DETAILS_DELETE && code == BN_CLICKED) {
        ConfirmDelete();
        return true;
    }
    return false;
}

void ImageDetailsDlg::OnNameChanged() {
    if (!RefuseNonAnsiCharacters(*this, IDC_DETAILS_NAME))
        return;
    if (Window* heading = GetDlgItem(IDC_DETAILS_HEADING))
        heading->ShowWindow(false);
    if (Window* hint = GetDlgItem(IDC_DETAILS_HINT))
        hint->ShowWindow(true);
}

// A record freed meanwhile may have been followed by another at the same
// address: the path tells them apart, read only once the browser holds one.
bool ImageDetailsDlg::RecordIsThere() const {
    return m_services.HoldsRecord(&m_record) && EqualsNoCase(m_record.GetPath(), m_path);
}

void ImageDetailsDlg::EditNote() {
    if (!RecordIsThere()) {
        EndDialog(IDCANCEL);  // the browser tells the user the photo went
        return;
    }
    NoteDlg note(m_record.Title(), m_record.GetNote());
    const int answer = note.DoModal(this);
    // The card may have gone while the note was typed.
    if (!RecordIsThere()) {
        EndDialog(IDCANCEL);
        return;
    }
    if (answer == IDOK)
        m_record.SetNote(note.Note());
}

void ImageDetailsDlg::ConfirmDelete() {
    if (MessageBoxW(this, LoadString(STRING_CONFIRM_DELETE), GetWindowText(), MB_YESNO) == IDYES)
        EndDialog(IDD_DETAILS_DELETE);
}

void ImageDetailsDlg::OnOK() {
    if (!UpdateData(true))
        return;
    if (!IsValidTitle(m_details.name)) {
        MessageBoxW(this, RenameFailureText(ERROR_INVALID_NAME).text, GetWindowText(), MB_OK);
        if (Window* name = GetDlgItem(IDC_DETAILS_NAME))
            SetFocus(name);
        return;
    }
    if (!TakeCategory() || !TakeLocation())
        return;
    m_details.isPrivate = m_private != 0;
    EndDialog(IDOK);
}

// "Unfiled" is the list's last entry; any other entry is looked up by its
// name, so that a category deleted meanwhile files the photo as unfiled.
bool ImageDetailsDlg::TakeCategory() {
    auto* category = GetControl<ComboBoxControl>(IDC_DETAILS_CATEGORY);
    if (!category)
        return false;
    const int index = category->GetCurSel();
    if (index < 0 || index == category->GetCount() - 1)
        m_category = CATEGORY_ID_UNFILED;
    else
        m_category = m_services.Categories().FindByName(category->GetLBText(index));
    return true;
}

bool ImageDetailsDlg::TakeLocation() {
    auto* location = GetControl<ComboBoxControl>(IDC_DETAILS_LOCATION);
    if (!location)
        return false;
    const int index = location->GetCurSel();
    if (index < 0 || size_t(index) >= m_locationPaths.size() || m_locationPaths[size_t(index)].empty()) {
        SetFocus(location);  // no location chosen: nothing to compare with
        return false;
    }
    m_locationPath = m_locationPaths[size_t(index)];
    m_details.location = CFolderList::ImageFolderOf(CFolderItem(m_locationPath, u"", false));
    return true;
}
