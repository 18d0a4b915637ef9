#include "catalogue/ImageItem.h"

#include <algorithm>
#include <string>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/DateText.h"
#include "catalogue/ImageTrailer.h"
#include "catalogue/TrailerEdits.h"
#include "imaging/JpegHeader.h"
#include "platform/base/File.h"
#include "platform/base/Text.h"
#include "platform/base/Time.h"
#include "platform/base/WinError.h"
#include "catalogue/PhotoNames.h"

namespace {

uint32_t OpenForReading(File& file, std::u16string_view path) {
    return file.Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

size_t LastBackslash(std::u16string_view path) { return path.rfind(u'\\'); }

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

uint32_t CImageItem::InitFromFile(std::u16string_view path, bool removable) {
    m_path = path;
    m_removable = removable ? 1 : 0;
    File file;
    if (uint32_t err = OpenForReading(file, m_path)) return err;
    CImageTrailer trailer;
    if (const TrailerRecord* record = trailer.Read(file)) {
        m_category = record->category;
        m_private = record->privateFlag != 0;
        m_privateKnown = 1;
        // As stored; GetNote reads the note again in its shown form.
        m_note = AnsiToUtf16(trailer.NextString().value_or(std::string_view{}));
        m_hasNote = !m_note.empty();
        FileTime lastWrite = 0;
        if (file.GetTimes(nullptr, nullptr, &lastWrite) == ERROR_SUCCESS) {
            m_lastWrite = Seconds1904FromRawFileTime(lastWrite);
        }
    }
    return ERROR_SUCCESS;
}

void CImageItem::InitFromCacheEntry(std::u16string_view folder, std::u16string_view name,
                                    const RecordId& category, bool removable) {
    m_path = folder;
    m_path += u'\\';
    m_path += name;
    m_category = category;
    m_removable = removable ? 1 : 0;
}

uint32_t CImageItem::GetSize() {
    if (m_size == 0) {
        File file;
        uint64_t size = 0;
        if (OpenForReading(file, m_path) == ERROR_SUCCESS && file.GetSize(size) == ERROR_SUCCESS) {
            m_size = static_cast<uint32_t>(std::min<uint64_t>(size, UINT32_MAX));
        }
    }
    return m_size;
}

void CImageItem::ReadDimensions() {
    File file;
    if (OpenForReading(file, m_path) != ERROR_SUCCESS) return;
    ImageHeaderInfo info{};
    if (ReadImageHeaderInfo(file, info) != 0) return;
    m_width = info.width;
    m_height = info.height;
}

uint16_t CImageItem::GetWidth() {
    if (m_width == 0) ReadDimensions();
    return m_width;
}

uint16_t CImageItem::GetHeight() {
    if (m_width == 0) ReadDimensions();
    return m_height;
}

Seconds1904 CImageItem::GetDate() {
    if (m_date == 0) m_date = WorkOutDate();
    return m_date;
}

// The trailer's date for a JPEG with a trailer; the EXIF date for a file
// without one; the file's creation time when neither gives a date.
Seconds1904 CImageItem::WorkOutDate() const {
    File file;
    if (OpenForReading(file, m_path) != ERROR_SUCCESS) return 0;
    CImageTrailer trailer;
    Seconds1904 date = 0;
    if (const TrailerRecord* record = trailer.Read(file)) {
        if (IsPhotoName(m_path)) date = record->date;
    } else {
        ImageHeaderInfo info{};
        ReadImageHeaderInfo(file, info);  // a refused stream leaves the info clear
        date = HeaderDate(info);
    }
    if (date == 0) {
        FileTime created = 0;
        if (file.GetTimes(&created, nullptr, nullptr) == ERROR_SUCCESS) {
            date = Seconds1904FromFileTime(created);
        }
    }
    return date;
}

// Reads the note in its shown form. A file read without a trailer has an
// empty note; only a file that cannot be read is asked again.
void CImageItem::LoadNote() {
    File file;
    if (OpenForReading(file, m_path) != ERROR_SUCCESS) return;
    CImageTrailer trailer;
    const TrailerRecord* record = trailer.Read(file);
    if (trailer.ReadFailed()) return;
    m_note = record ? NoteFromStored(trailer.NextString().value_or(std::string_view{})) : u"";
    m_hasNote = !m_note.empty();
    m_noteLoaded = 1;
}

const std::u16string& CImageItem::GetNote() {
    if (!m_noteLoaded) LoadNote();
    return m_note;
}

bool CImageItem::HasNote() {
    if (!m_noteLoaded) LoadNote();
    return m_hasNote != 0;
}

bool CImageItem::IsPrivate() {
    if (!m_privateKnown) {
        File file;
        if (OpenForReading(file, m_path) != ERROR_SUCCESS) return m_private != 0;
        CImageTrailer trailer;
        const TrailerRecord* record = trailer.Read(file);
        if (!trailer.ReadFailed()) {
            m_private = record && record->privateFlag != 0;
            m_privateKnown = 1;
        }
    }
    return m_private != 0;
}

std::u16string CImageItem::GetCategoryName(const CCategoryDB& db) const {
    // A category marked deleted files its images as unfiled, so only live
    // records give a name.
    std::u16string name;
    size_t index = 0;
    if (m_category != CATEGORY_ID_UNFILED && db.NameAndIndexOf(m_category, name, index) &&
        !name.empty()) {
        return name;
    }
    return std::u16string(STRING_UNFILED);
}

int CImageItem::SetCategory(const RecordId& category) {
    const int err = SetTrailerCategory(m_path, category);
    if (err == 0) m_category = category;
    return err;
}

int CImageItem::SetPrivate(bool isPrivate) {
    const int err = SetTrailerPrivate(m_path, isPrivate);
    if (err == 0) {
        m_private = isPrivate ? 1 : 0;
        m_privateKnown = 1;
    }
    return err;
}

int CImageItem::SetNote(std::u16string_view note) {
    const int err = SetTrailerNote(m_path, note);
    if (err == 0) {
        m_note = NoteFromStored(NoteToStored(note));
        m_hasNote = !m_note.empty();
        m_noteLoaded = 1;
    }
    return err;
}

uint32_t CImageItem::Touch() {
    File file;
    if (uint32_t err = file.Open(m_path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING)) {
        return err;
    }
    FileTime lastWrite = 0;
    if (uint32_t err = file.GetTimes(nullptr, nullptr, &lastWrite)) return err;
    const uint32_t seen = Seconds1904FromRawFileTime(lastWrite);
    if (seen >= m_lastWrite) {
        m_lastWrite = seen;
        return ERROR_SUCCESS;
    }
    // The file's clock lags the one recorded: step one second past it.
    const FileTime next = RawFileTimeFromSeconds1904(m_lastWrite + 1);
    if (uint32_t err = file.SetTimes(nullptr, nullptr, &next)) return err;
    ++m_lastWrite;
    return ERROR_SUCCESS;
}

bool CImageItem::IsUnder(std::u16string_view folder) const {
    return StartsWithNoCase(Folder(), folder);
}

std::u16string CImageItem::FileName() const { return std::u16string(FileNameOf(m_path)); }

std::u16string CImageItem::Title() const {
    const std::u16string_view name = FileNameOf(m_path);
    const size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos || dot == 0) return std::u16string(name);
    return std::u16string(name.substr(0, dot));
}

std::u16string CImageItem::Folder() const {
    const size_t slash = LastBackslash(m_path);
    return slash == std::u16string::npos ? std::u16string() : m_path.substr(0, slash);
}

bool CImageItem::IsRemovablePath(std::u16string_view path) {
    const size_t slash = LastBackslash(path);
    const std::u16string_view folder = slash == std::u16string_view::npos ? std::u16string_view() : path.substr(0, slash);
    return !StartsWithNoCase(folder, MAIN_PHOTO_FOLDER);
}

// Whole kibibytes, rounded down, except that a file that is not empty never
// shows as "0K".
std::u16string CImageItem::SizeText() {
    const uint32_t size = GetSize();
    return Ascii(std::to_string(size > 0 && size < 1024 ? 1 : size / 1024) + "K");
}

std::u16string CImageItem::DimensionsText() {
    const uint16_t width = GetWidth();
    return Ascii(std::to_string(width) + "x" + std::to_string(GetHeight()));
}

std::u16string CImageItem::DateText() { return ShortDateText(GetDate()); }

std::u16string CImageItem::TimeText() { return ShortTimeText(GetDate()); }

void CImageItem::SetPicture(std::unique_ptr<Bitmap> picture, const Rect& rect, uint32_t tick,
                            uint8_t orientation) {
    m_picture = std::move(picture);
    m_pictureRect = rect;
    m_pictureTick = tick;
    m_pictureOrientation = orientation;
}

void CImageItem::FreePicture() {
    m_picture.reset();
    m_pictureTick = 0;
    m_pictureOrientation = 0;
}
