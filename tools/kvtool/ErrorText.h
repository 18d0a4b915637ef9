#pragma once
#include <string>

// A short reason for a result number of the catalogue, the decoder or the
// file system, followed by the number: "file not found (2)".
std::string ErrorText(int result);
