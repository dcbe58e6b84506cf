// Unit source lookup of the report interpreter: the hook first, then files.
#include "script/fm.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Reads a text file as lines joined by CR LF, the line breaks the interpreter
// counts when it reports error lines.
bool readLines(const std::filesystem::path& file, std::string& text)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    text.clear();
    bool first = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        text += (first ? "" : "\r\n") + line;
        first = false;
    }
    return true;
}

} // namespace

bool TKSInterpreterFm::unitSource(const std::string& name, std::string& source)
{
    if (sectionMode_ == 1 && !InterfaceUses) {
        source = "unit " + name + "; end.";
        return true;
    }
    if (TKSInterpreterUnit::unitSource(name, source))
        return true;
    std::filesystem::path file(name);
    if (!file.has_extension())
        file += ".pas";
    std::error_code error;
    if (std::filesystem::is_regular_file(file, error))
        return readLines(file, source);
    std::stringstream folders(SearchPath);
    std::string folder;
    while (std::getline(folders, folder, ';')) {
        if (folder.empty())
            continue;
        const std::filesystem::path candidate = std::filesystem::path(folder) / file;
        if (std::filesystem::is_regular_file(candidate, error))
            return readLines(candidate, source);
    }
    return false;
}
