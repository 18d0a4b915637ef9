#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

// Replaces the host file `path` whole, so that a reader or a crash sees the
// old file or the new one, never a mix: `write` fills a new temporary file
// beside it (a name no other writer uses), which is flushed to disk and
// renamed over `path`. On any failure `path` is as it was and the temporary
// file is gone. `mode`, when given, is set exactly (the umask aside).
// Returns 0 or a Windows error number.
uint32_t ReplaceHostFile(const std::string& path, const std::function<bool(FILE*)>& write,
                         int mode = -1);
uint32_t ReplaceHostFile(const std::string& path, std::string_view bytes, int mode = -1);
