#include "browser/PhotoListCtrl.h"

#include "browser/BrowserPictures.h"
#include "browser/GridCellPainter.h"
#include "browser/KestrelviewView.h"
#include "catalogue/ImageItem.h"
#include "handheld/Preferences.h"
#include "handheld/RegisteredMessages.h"

namespace {

// The location's name starts this far right of the card symbol's place.
constexpr int32_t LOCATION_TEXT_OFFSET = 17;

}  // namespace

CPhotoListCtrl::CPhotoListCtrl(CKestrelviewView& view) : m_view(view), m_symbols(MakeListSymbols()) {}

CPhotoListCtrl::~CPhotoListCtrl() { Destroy(); }

void CPhotoListCtrl::DrawCell(DeviceContext& dc, int32_t left, int32_t top, int32_t right,
                              int32_t bottom, int column, int format, CImageItem* record) {
    if (!record)
        return;
    switch (uint32_t(column)) {
    case COLUMN_LOCATION:
        if (record->IsRemovable())
            DrawCellImage(dc, left, top, *m_symbols, LIST_SYMBOL_CARD);
        DrawCellText(dc, left + LOCATION_TEXT_OFFSET, top, right, bottom,
                     GridCellPainter::LocationName(*record, &m_view.Locations()), format);
        break;
    case COLUMN_NAME:
        DrawCellText(dc, left, top, right, bottom, record->FileName(), format);
        break;
    case COLUMN_CATEGORY:
        DrawCellText(dc, left, top, right, bottom, record->GetCategoryName(m_view.Categories()), format);
        break;
    case COLUMN_SIZE:
        DrawCellText(dc, left, top, right, bottom, record->SizeText(), format);
        break;
    case COLUMN_DIMENSIONS:
        DrawCellText(dc, left, top, right, bottom, record->DimensionsText(), format);
        break;
    case COLUMN_DATE:
        DrawCellText(dc, left, top, right, bottom, record->DateText(), format);
        break;
    case COLUMN_NOTE:
        if (record->HasNote())
            DrawCellImage(dc, left, top, *m_symbols, LIST_SYMBOL_NOTE);
        break;
    default:
        break;
    }
}

CImageItem* CPhotoListCtrl::RecordAt(int row) {
    return row >= 0 ? m_view.Catalogue().Nth(m_view.Filter(), row) : nullptr;
}

void CPhotoListCtrl::OnRowSelectionChanged(int row, bool selected) {
    m_view.OnListSelectionChanged(row, selected);
}

std::u16string CPhotoListCtrl::RowText(CImageItem* record, int) {
    return record ? record->FileName() : std::u16string();
}

void CPhotoListCtrl::OnRowActivated(int row) {
    ::SendMessage(GetParent(), ImageSelectedMessage(), 0, LPARAM(row));
}

void CPhotoListCtrl::OnContextMenu(CImageItem* record, Point screenPoint) {
    m_view.ShowImageMenu(record, screenPoint);
}
