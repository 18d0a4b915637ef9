#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "catalogue/CatalogueTypes.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Geometry.h"

class CCategoryDB;

// The in-memory record of one image file. It holds the path and what the
// scan knew; everything else is read from the file the first time it is
// asked for, and a value that could not be read (still 0) is asked again
// next time. A record never keeps a file open.
class CImageItem {
public:
    CImageItem() = default;
    virtual ~CImageItem() = default;
    CImageItem(const CImageItem&) = delete;
    CImageItem& operator=(const CImageItem&) = delete;

    // Stores path and removable and reads the trailer's category, private
    // flag and note. Returns 0 or the error of opening the file; a file
    // without trailer is not an error.
    uint32_t InitFromFile(std::u16string_view path, bool removable);
    // From a file-list cache entry: nothing is read from the file.
    void InitFromCacheEntry(std::u16string_view folder, std::u16string_view name,
                            const RecordId& category, bool removable);

    const std::u16string& GetPath() const { return m_path; }
    uint32_t GetSize();
    uint16_t GetWidth();
    uint16_t GetHeight();
    Seconds1904 GetDate();
    const std::u16string& GetNote();
    bool HasNote();
    bool IsPrivate();
    const RecordId& GetCategory() const { return m_category; }
    // The category's name in the database, "Unfiled" when it has none.
    std::u16string GetCategoryName(const CCategoryDB& db) const;

    // Change the file's trailer and, on success, the record. Each returns 0,
    // an ERR_TRAILER_* code or a Windows error number.
    int SetCategory(const RecordId& category);
    int SetPrivate(bool isPrivate);
    int SetNote(std::u16string_view note);
    // Changes only the record, when the file is not to be written.
    void SetCategoryInMemory(const RecordId& category) { m_category = category; }
    // Makes the file's last-write time move forward past the one recorded.
    uint32_t Touch();

    // Plain prefix test of the folder part of the path, ignoring case.
    bool IsUnder(std::u16string_view folder) const;
    bool IsOnCard(std::u16string_view cardPath) const { return m_removable && IsUnder(cardPath); }
    // A file outside the main folder of internal storage lies on a card: the
    // removable flag a record of that path gets.
    static bool IsRemovablePath(std::u16string_view path);

    // Display texts.
    std::u16string FileName() const;
    std::u16string Title() const;
    std::u16string Folder() const;
    std::u16string SizeText();
    std::u16string DimensionsText();
    std::u16string DateText();
    std::u16string TimeText();

    bool IsRemovable() const { return m_removable != 0; }
    void SetRemovable(bool removable) { m_removable = removable ? 1 : 0; }
    bool IsSelected() const { return m_selected != 0; }
    void SetSelected(bool selected) { m_selected = selected ? 1 : 0; }
    bool IsTemporary() const { return m_temporary != 0; }
    void SetTemporary(bool temporary) { m_temporary = temporary ? 1 : 0; }
    bool ShownInRandom() const { return m_shownInRandom != 0; }
    void SetShownInRandom(bool shown) { m_shownInRandom = shown ? 1 : 0; }
    // Seconds since 1904 on the file time as the file system gives it.
    uint32_t GetLastWrite() const { return m_lastWrite; }
    void SetLastWrite(uint32_t lastWrite) { m_lastWrite = lastWrite; }
    void SetPath(std::u16string_view path) { m_path = path; }

    // The decoded screen-sized picture kept for the viewer: a bitmap that a
    // device context selects as it is, where it lands in the view, when it
    // was made (tick count), and how it stands against the file's pixels
    // (the viewer's orientation code; 0 = as stored).
    Bitmap* GetPicture() const { return m_picture.get(); }
    const Rect& GetPictureRect() const { return m_pictureRect; }
    uint32_t GetPictureTick() const { return m_pictureTick; }
    uint8_t GetPictureOrientation() const { return m_pictureOrientation; }
    void SetPicture(std::unique_ptr<Bitmap> picture, const Rect& rect, uint32_t tick,
                    uint8_t orientation = 0);
    void FreePicture();

private:
    void ReadDimensions();
    Seconds1904 WorkOutDate() const;
    void LoadNote();

    std::u16string m_path;
    uint32_t m_size = 0;
    uint16_t m_width = 0;
    uint16_t m_height = 0;
    Seconds1904 m_date = 0;
    uint8_t m_selected = 0;
    RecordId m_category = CATEGORY_ID_UNFILED;
    std::u16string m_note;
    uint16_t m_removable = 0;
    uint8_t m_hasNote = 0;
    uint8_t m_noteLoaded = 0;
    uint8_t m_temporary = 0;
    uint8_t m_shownInRandom = 0;
    uint32_t m_lastWrite = 0;
    uint8_t m_private = 0;
    uint8_t m_privateKnown = 0;
    std::unique_ptr<Bitmap> m_picture;
    Rect m_pictureRect;
    uint32_t m_pictureTick = 0;
    uint8_t m_pictureOrientation = 0;
};
