#pragma once
#include <string>
#include <string_view>

#include "catalogue/CatalogueTypes.h"

class File;
struct ScreenBitmap;

// The metadata edits of an image file's trailer. The first three open the
// file (a handheld path) for reading and writing without sharing, rewrite
// its trailer and close it. Each returns 0, an ERR_TRAILER_* code or a
// Windows error number.
int SetTrailerCategory(std::u16string_view path, const RecordId& category);
int SetTrailerPrivate(std::u16string_view path, bool isPrivate);
int SetTrailerNote(std::u16string_view path, std::u16string_view note);
// Replaces the thumbnail block of a file the caller holds open for reading
// and writing; record fields and strings stay. The picture is at most
// 96 x 96 pixels.
int StoreTrailerThumbnail(File& file, const ScreenBitmap& thumbnail);

// The stored form of a note lies in the ANSI code page with line feeds only
// and at most NOTE_MAX_STORED bytes (a longer note keeps its first bytes).
constexpr size_t NOTE_MAX_STORED = 4095;
std::string NoteToStored(std::u16string_view note);
// The note as shown: a carriage return before every line feed that lacks one.
std::u16string NoteFromStored(std::string_view stored);
