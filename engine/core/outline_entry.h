// Outline entries of prepared pages: "text\x01page\x01y\x01level", the page
// 0-based in the prepared-page list, y in screen pixels.
#pragma once

#include <string>

// The entry with a new page and its y moved by dy pixels; a malformed entry unchanged.
std::string movedOutlineEntry(const std::string& entry, int page, int dy);
// The entry's page; -1 for a malformed entry.
int outlinePage(const std::string& entry);
