// Outline entries of prepared pages, moved with the objects they mark.
#include "core/outline_entry.h"

#include <cstdlib>
#include <vector>

std::string movedOutlineEntry(const std::string& entry, int page, int dy)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = entry.find('\x01', from)) != std::string::npos; from = at + 1)
        parts.push_back(entry.substr(from, at - from));
    parts.push_back(entry.substr(from));
    if (parts.size() != 4)
        return entry;
    const int y = std::atoi(parts[2].c_str()) + dy;
    return parts[0] + '\x01' + std::to_string(page) + '\x01' + std::to_string(y) + '\x01' + parts[3];
}

int outlinePage(const std::string& entry)
{
    const std::size_t at = entry.find('\x01');
    return at == std::string::npos ? -1 : std::atoi(entry.c_str() + at + 1);
}

