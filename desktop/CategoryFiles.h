#pragma once
#include <cstdint>
#include <string>

class CCategoryDB;

// Moves the two copies of the category database between their files and
// memory; all reading and changing of records is CCategoryDB's. Loading
// gives 0, an error, ERROR_NOT_ENOUGH_MEMORY or ERR_CATEGORY_DB_VERSION
// (the bytes stay loaded); a missing file is an empty database. Saving
// writes only a database that holds records and has changed, through a
// temporary file that then takes the file's place, and gives 0 or the error.

// The desktop's copy, a host path.
int32_t LoadDesktopCategories(const std::string& hostPath, CCategoryDB& db);
int32_t SaveDesktopCategories(const std::string& hostPath, CCategoryDB& db);

// The handheld's copy, over the remote calls. A file that is there but
// cannot be opened or read whole is an error, never an empty database: the
// merged copy written back would otherwise lose the handheld's records.
int32_t LoadHandheldCategories(const std::u16string& path, CCategoryDB& db);
// The temporary file is path followed by "__KVTemp".
int32_t SaveHandheldCategories(const std::u16string& path, CCategoryDB& db);
