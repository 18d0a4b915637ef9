#pragma once
#include <cstdint>
#include <string>

// Moves a regular host file to another file system, where no rename can
// reach (a storage card that is its own mount point). The copy goes to a
// temporary name beside the target ("<target>.kvpart"), is flushed to disk,
// then takes the target's name without ever replacing a file; only then is
// the original removed. On any failure the original is whole and neither
// the target nor the temporary file is left. Returns 0,
// ERROR_ALREADY_EXISTS when the target exists, or another Windows error.
uint32_t CopyThenDelete(const std::string& from, const std::string& to);
