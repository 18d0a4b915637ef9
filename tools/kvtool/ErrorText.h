#pragma once
#include <string>

// A short reason for a result number of the catalogue, the decoder or the
// file system, followed by the number: "file not found (2)".
std::string ErrorText(int result);
// As ErrorText, telling for "access denied" whether the host file cannot be
// read or is read-only (or lies in a read-only folder).
std::string FileErrorText(int result, const std::string& hostPath);
