#pragma once
// Structural check of a whisper model file before the library sees it. The
// library aborts the whole process on some malformed files (a header cut
// short, heads that do not divide the state, a vocabulary without " ", tensor
// records it cannot size); this walks the file the way the loader will and
// names the first fault instead.

#include <string>

// "" when the file is sound or is not a whisper model file at all (missing,
// unreadable, wrong magic: the library rejects those cleanly by itself);
// otherwise a short English reason.
// path in UTF-8.
std::string checkModelFile(const char* path);
