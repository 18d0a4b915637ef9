#pragma once
#include <memory>
#include <string>
#include <vector>

#include "catalogue/CatalogueTypes.h"
#include "platform/gdi/Bitmap.h"
#include "platform/shell/Dialog.h"

class BrowserServices;
class CImageItem;

// What Image Details shows of a photo; after OK, name, location and the
// private mark as the user left them.
struct ImageDetails {
    std::u16string name;        // the title: the file name without ".jpg"
    std::u16string location;    // a path inside the photo's location; after OK the
                                // folder images moved there go to
    std::u16string resolution;  // "640x480"
    std::u16string size;        // "120K"
    std::u16string date;
    bool isPrivate = false;

    // The photo's own texts.
    static ImageDetails Of(CImageItem& record);
};

// "Image Details": the photo's name (the input panel comes up when the
// field gets the focus; a character with no Windows-1252 form is refused as
// it is typed), its location and category, resolution, date and size, the
// private mark and the thumbnail, with "Note..." (kept at once, even if the
// dialog is then cancelled) and "Delete..." (ends with IDD_DETAILS_DELETE
// once confirmed). OK refuses a name no file can have. Results: IDOK,
// IDCANCEL, IDD_DETAILS_DELETE.
//
// The record is used only while the browser still holds it: a photo whose
// card went away meanwhile ends the dialog with IDCANCEL when the user
// next acts on it. The locations are remembered by path, never by the
// browser's objects, which a removed card takes with it.
class ImageDetailsDlg : public Dialog {
public:
    ImageDetailsDlg(BrowserServices& services, CImageItem& record, ImageDetails details);
    ~ImageDetailsDlg() override;

    const ImageDetails& Details() const { return m_details; }
    // After OK: the chosen category (CATEGORY_ID_UNFILED for "Unfiled" or a
    // name no live category has) and the chosen location's path.
    const RecordId& ChosenCategory() const { return m_category; }
    const std::u16string& ChosenLocationPath() const { return m_locationPath; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    void DoDataExchange(DataExchange& exchange) override;
    void OnPaint(DeviceContext& dc, const Rect& paintRect) override;

private:
    void FillCombos();
    void MakeThumbnail();
    Rect ThumbnailRect() const;
    void OnNameChanged();
    bool RecordIsThere() const;
    void EditNote();
    void ConfirmDelete();
    bool TakeCategory();
    bool TakeLocation();

    BrowserServices& m_services;
    CImageItem& m_record;
    ImageDetails m_details;
    int m_private = 0;
    RecordId m_category = CATEGORY_ID_UNFILED;
    std::u16string m_path;  // the record's, to know it again
    std::u16string m_locationPath;
    std::vector<std::u16string> m_locationPaths;  // by entry of the location list
    std::unique_ptr<Bitmap> m_thumbnail;
};
