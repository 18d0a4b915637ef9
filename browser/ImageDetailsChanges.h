#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/CatalogueTypes.h"

class CFolderList;
class CImageItem;
class CImageItemList;
struct ImageDetails;

// What the Image Details dialog changed of a photo, carried out all or
// nothing: the category and the private mark are written into the file
// first, then the file takes its new name and place. When a step fails
// the ones before it are undone (the file gets its old name back, the
// trailer its old values), so the photo is left as it was before OK. The
// record keeps its path: the shell's notification of the rename or move
// brings the record of the file where it now lies.
class CImageDetailsChanges {
public:
    // Compares what Image Details returned (its details, the chosen
    // category and location path) with the record.
    CImageDetailsChanges(CImageItem& record, const ImageDetails& details, const RecordId& category,
                         std::u16string_view locationPath);

    bool NameChanged() const { return !m_title.empty(); }
    bool CategoryChanged() const { return m_categoryChanged; }
    bool PrivateChanged() const { return m_privateChanged; }
    bool LocationChanged() const { return !m_locationPath.empty(); }
    bool Any() const { return NameChanged() || CategoryChanged() || PrivateChanged() || LocationChanged(); }
    const RecordId& OldCategory() const { return m_oldCategory; }

    // 0, or the error of the step that failed; FailureText() then tells the
    // user which. The list is told of the trailer changes it displays by.
    uint32_t Apply(CImageItemList& list, const CFolderList& locations);
    const std::u16string& FailureText() const { return m_failureText; }

private:
    uint32_t WriteTrailer(CImageItemList& list);
    void UndoTrailer(CImageItemList& list);
    uint32_t PlaceFile(const CFolderList& locations);

    CImageItem& m_record;
    std::u16string m_title;         // the new title, empty when unchanged
    std::u16string m_locationPath;  // the new location, empty when unchanged
    RecordId m_oldCategory;
    RecordId m_category;
    bool m_categoryChanged = false;
    bool m_isPrivate = false;
    bool m_privateChanged = false;
    bool m_categoryWritten = false;
    bool m_privateWritten = false;
    std::u16string m_failureText;
};
