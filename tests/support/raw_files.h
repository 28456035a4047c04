#pragma once
// Files and folders whose names are raw bytes (GBK names as Windows archives
// leave them), made through POSIX calls so that no text conversion touches
// the names.  Qt's file classes cannot make or remove them.

#include "textfiles/bytes.h"

#include <string>

namespace quillet::testing {

// The GBK bytes of names used in tests (not valid UTF-8).
inline const std::string kGbkPhotos = "\xD5\xD5\xC6\xAC"; // 照片
inline const std::string kGbkSeaside = "\xBA\xA3\xB1\xDF"; // 海边

// Creates the file with the bytes (replacing it); false on any error.
bool WriteRawFile(const std::string& path, const ByteArray& bytes);

// Creates one folder; false on any error but "exists".
bool MakeRawFolder(const std::string& path);

// Removes a folder with everything in it, whatever the names' bytes.
void RemoveRawTree(const std::string& path);

} // namespace quillet::testing
