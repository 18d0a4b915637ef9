#pragma once
#include <cstdint>
#include <string>

class CCategoryDB;
class ISyncSide;

// Moves a copy of the category database between its file on one side and
// memory; all reading and changing of records is CCategoryDB's. Loading
// gives 0, an error, ERROR_NOT_ENOUGH_MEMORY or ERR_CATEGORY_DB_VERSION
// (the bytes stay loaded); a missing file is an empty database, but a file
// that is there and cannot be read whole is an error: the merged copy
// written back would otherwise lose its records. Saving writes only a
// database that holds records and has changed, through a temporary file
// that then takes the file's place, and gives 0 or the error.
int32_t LoadCategories(ISyncSide& side, const std::string& path, CCategoryDB& db);
int32_t SaveCategories(ISyncSide& side, const std::string& path, CCategoryDB& db);
