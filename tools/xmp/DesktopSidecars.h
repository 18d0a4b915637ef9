#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Sidecars for the photos of a desktop folder tree that synchronisation
// keeps: what each photo's trailer says, with category names from the
// folder's own category database ("_CategoryDB" at its top).

// Writes or updates the sidecar of every photo under `folder`; the host
// paths that could not get theirs are added to `failed`. Returns the number
// of sidecars written.
size_t WriteSidecarsUnder(const std::string& folder, std::vector<std::string>& failed);
