// Bindings of group SysUtils for files: names and paths, file and folder
// operations, file dates, and the FindFirst / FindNext search over TSearchRec.
#include "script/bind_util.h"
#include "script/bindings.h"

#include "platform/gbk.h"
#include "platform/variant_date.h"
#include "script/record.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>

namespace {

using namespace bind;
namespace fs = std::filesystem;

constexpr const char* kUnit = "SysUtils";
constexpr int faReadOnly = 1, faHidden = 2, faDirectory = 0x10, faArchive = 0x20;
constexpr std::size_t kMaxOpenSearches = 256;

// Engine paths are GBK and may use "\" as separator; the disk wants UTF-8 and "/".
fs::path diskPath(std::string_view path)
{
    std::string utf8 = platform::gbkToUtf8(path);
    std::replace(utf8.begin(), utf8.end(), '\\', '/');
    return fs::path(utf8);
}

std::string enginePath(const fs::path& path) { return platform::utf8ToGbk(path.generic_string()); }

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Offset just after the last path delimiter (separator or drive colon); 0 when none.
std::size_t nameStart(std::string_view path)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); i += platform::charLength(path, i))
        if (isSeparator(path[i]) || path[i] == ':')
            start = i + 1;
    return start;
}

std::string extractFileExt(std::string_view path)
{
    const std::size_t name = nameStart(path);
    std::size_t dot = std::string_view::npos;
    for (std::size_t i = name; i < path.size(); i += platform::charLength(path, i))
        if (path[i] == '.')
            dot = i;
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string extractFileDir(std::string_view path)
{
    std::size_t end = nameStart(path);
    if (end > 1 && isSeparator(path[end - 1]) && path[end - 2] != ':')
        --end;
    return std::string(path.substr(0, end));
}

std::string extractFileDrive(std::string_view path)
{
    if (path.size() >= 2 && path[1] == ':')
        return std::string(path.substr(0, 2));
    return {};
}

std::string changeFileExt(std::string_view path, std::string_view ext)
{
    const std::string old = extractFileExt(path);
    return std::string(path.substr(0, path.size() - old.size())) + std::string(ext);
}

// A path relative to a base folder (the base's file name part is ignored).
std::string extractRelativePath(std::string_view base, std::string_view dest)
{
    const fs::path from = diskPath(base.substr(0, nameStart(base)));
    const fs::path to = diskPath(dest);
    const fs::path relative = to.lexically_relative(from);
    return relative.empty() ? std::string(dest) : enginePath(relative);
}

// DOS date-time: the packed form FileAge and FileGetDate answer.
int toFileDate(double dateTime)
{
    const platform::DateTimeParts p = platform::decodeDateTime(dateTime);
    if (p.year < 1980 || p.year > 2107)
        return 0;
    return int(unsigned(p.year - 1980) << 25 | unsigned(p.month) << 21 | unsigned(p.day) << 16 | unsigned(p.hour) << 11
               | unsigned(p.minute) << 5 | unsigned(p.second / 2));
}

double fromFileDate(int fileDate)
{
    const unsigned d = unsigned(fileDate);
    const std::optional<double> date = platform::tryEncodeDate(int(d >> 25) + 1980, int(d >> 21 & 15), int(d >> 16 & 31));
    const std::optional<double> time = platform::tryEncodeTime(int(d >> 11 & 31), int(d >> 5 & 63), int(d & 31) * 2, 0);
    if (!date || !time)
        throw std::runtime_error("Invalid argument to date encode");
    return *date + *time;
}

// Local date-time day number of a file's modification time; nothing when missing.
std::optional<double> modificationTime(const fs::path& path)
{
    std::error_code error;
    const fs::file_time_type stamp = fs::last_write_time(path, error);
    if (error)
        return std::nullopt;
    // file_clock and system_clock differ by a fixed offset; measure it now.
    const auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
        stamp - fs::file_time_type::clock::now() + std::chrono::system_clock::now());
    const std::time_t seconds = std::chrono::system_clock::to_time_t(system);
    std::tm local{};
    localtime_r(&seconds, &local);
    platform::DateTimeParts p{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                              std::min(local.tm_sec, 59), 0};
    return platform::encodeDateTime(p);
}

int fileAttributes(const fs::path& path, const fs::directory_entry* entry = nullptr)
{
    std::error_code error;
    const fs::file_status status = entry ? entry->status(error) : fs::status(path, error);
    if (error || !fs::exists(status))
        return -1;
    int attr = fs::is_directory(status) ? faDirectory : faArchive;
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none)
        attr |= faReadOnly;
    const std::string name = path.filename().string();
    if (name.size() > 1 && name[0] == '.' && name != "..")
        attr |= faHidden;
    return attr;
}

// "*" and "?" wildcards; "*.*" matches every name, as on the original platform.
bool matchesMask(std::string_view name, std::string_view mask)
{
    if (mask == "*.*" || mask == "*")
        return true;
    std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || platform::compareTextIgnoreCase(name.substr(n, 1), mask.substr(m, 1)) == 0)) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

// --- FindFirst / FindNext -----------------------------------------------------------

struct FoundFile {
    std::string name;
    int attr = 0;
    long long size = 0;
    int time = 0;
};

struct Search {
    std::vector<FoundFile> files;
    std::size_t next = 0;
};

std::map<int, Search>& searches()
{
    static std::map<int, Search> open;
    return open;
}

enum SearchRecField { fTime, fSize, fAttr, fName, fExcludeAttr, fFindHandle };
constexpr int kNoMoreFiles = 18, kFileNotFound = 2;

TKSInterpreterRecHolder& searchRec(const Variant& v)
{
    TKSInterpreterRecHolder* record = recordOf(v);
    if (!record || !platform::sameName(record->type().name, "TSearchRec"))
        throw std::runtime_error("TSearchRec expected");
    return *record;
}

// Fills the record from the search's next entry; the result code of the call.
int deliverNext(int handle, TKSInterpreterRecHolder& record)
{
    auto it = searches().find(handle);
    if (it == searches().end())
        return kNoMoreFiles;
    Search& search = it->second;
    if (search.next >= search.files.size())
        return kNoMoreFiles;
    const FoundFile& f = search.files[search.next++];
    record.setField(fTime, Variant(f.time));
    record.setField(fSize, Variant(int(std::min<long long>(f.size, INT32_MAX))));
    record.setField(fAttr, Variant(f.attr));
    record.setField(fName, Variant(f.name));
    record.setField(fFindHandle, Variant(handle));
    return 0;
}

int findFirst(const std::string& pattern, int attr, TKSInterpreterRecHolder& record)
{
    if (searches().size() >= kMaxOpenSearches)
        throw std::runtime_error("Too many open file searches");
    const std::size_t split = nameStart(pattern);
    const std::string mask = pattern.substr(split);
    const fs::path folder = split ? diskPath(pattern.substr(0, split)) : fs::path(".");
    Search search;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        FoundFile f;
        f.name = platform::utf8ToGbk(it->path().filename().string());
        f.attr = fileAttributes(it->path(), &*it);
        if (f.attr < 0 || !matchesMask(f.name, mask))
            continue;
        // Plain files always match; directories and hidden files only when asked for.
        if ((f.attr & (faDirectory | faHidden)) & ~attr)
            continue;
        std::error_code sizeError;
        f.size = (f.attr & faDirectory) ? 0 : (long long)it->file_size(sizeError);
        f.time = toFileDate(modificationTime(it->path()).value_or(0));
        search.files.push_back(std::move(f));
    }
    if (search.files.empty())
        return kFileNotFound;
    const int handle = searches().empty() ? 1 : searches().rbegin()->first + 1;
    searches().emplace(handle, std::move(search));
    record.setField(fExcludeAttr, Variant(~attr & (faHidden | faDirectory)));
    return deliverNext(handle, record);
}

void registerSearch(TKSInterpreterAdapter& r)
{
    r.RegisterRecord(kUnit, "TSearchRec",
                     {{"Time", -1, 0, 3, nullptr}, {"Size", -1, 4, 3, nullptr}, {"Attr", -1, 8, 3, nullptr},
                      {"Name", -1, 12, 256, nullptr}, {"ExcludeAttr", -1, 16, 3, nullptr},
                      {"FindHandle", -1, 20, 3, nullptr}},
                     344, [](void* memory) { std::memset(memory, 0, 344); },
                     [](void* memory) { std::memset(memory, 0, 344); });
    function(r, kUnit, "FindFirst", 3, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(findFirst(text(a, 0), integer(a, 1), searchRec(a.arg(2))));
    }, {256, 3, kstype::VarParam});
    function(r, kUnit, "FindNext", 1, [](Variant& v, TKSInterpreterArgs& a) {
        TKSInterpreterRecHolder& record = searchRec(a.arg(0));
        v = Variant(deliverNext(record.field(fFindHandle).toInteger(), record));
    }, {kstype::VarParam});
    function(r, kUnit, "FindClose", 1, [](Variant&, TKSInterpreterArgs& a) {
        TKSInterpreterRecHolder& record = searchRec(a.arg(0));
        searches().erase(record.field(fFindHandle).toInteger());
        record.setField(fFindHandle, Variant(0));
    }, {kstype::VarParam});
}

// --- Names, files and folders ---------------------------------------------------------

void registerFiles(TKSInterpreterAdapter& r)
{
    auto pathFunction = [&r](const char* name, std::string (*f)(std::string_view)) {
        function(r, kUnit, name, 1, [f](Variant& v, TKSInterpreterArgs& a) { v = Variant(f(text(a, 0))); });
    };
    pathFunction("ExtractFilePath", [](std::string_view p) { return std::string(p.substr(0, nameStart(p))); });
    pathFunction("ExtractFileName", [](std::string_view p) { return std::string(p.substr(nameStart(p))); });
    pathFunction("ExtractFileExt", extractFileExt);
    pathFunction("ExtractFileDir", extractFileDir);
    pathFunction("ExtractFileDrive", extractFileDrive);
    auto expand = [](std::string_view p) {
        std::error_code error;
        const fs::path absolute = fs::absolute(diskPath(p), error);
        return error ? std::string(p) : enginePath(absolute.lexically_normal());
    };
    pathFunction("ExpandFileName", expand);
    pathFunction("ExpandUNCFileName", expand);
    function(r, kUnit, "ChangeFileExt", 2, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(changeFileExt(text(a, 0), text(a, 1)));
    });
    function(r, kUnit, "ExtractRelativePath", 2, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(extractRelativePath(text(a, 0), text(a, 1)));
    });
    function(r, kUnit, "FileSearch", 2, [](Variant& v, TKSInterpreterArgs& a) {
        const std::string name = text(a, 0), list = text(a, 1);
        std::string found;
        std::error_code error;
        if (fs::is_regular_file(diskPath(name), error)) {
            found = name;
        } else {
            for (std::size_t start = 0; start <= list.size() && found.empty();) {
                const std::size_t end = std::min(list.find(';', start), list.size());
                std::string folder = list.substr(start, end - start);
                if (!folder.empty() && !isSeparator(folder.back()))
                    folder += '\\';
                if (!folder.empty() && fs::is_regular_file(diskPath(folder + name), error))
                    found = folder + name;
                start = end + 1;
            }
        }
        v = Variant(found);
    });
    auto predicate = [&r](const char* name, bool (*f)(const fs::path&, std::error_code&)) {
        function(r, kUnit, name, 1, [f](Variant& v, TKSInterpreterArgs& a) {
            std::error_code error;
            v = Variant(f(diskPath(text(a, 0)), error) && !error);
        });
    };
    predicate("FileExists", [](const fs::path& p, std::error_code& e) { return fs::is_regular_file(p, e); });
    predicate("DeleteFile", [](const fs::path& p, std::error_code& e) { return fs::is_regular_file(p, e) && fs::remove(p, e); });
    predicate("CreateDir", [](const fs::path& p, std::error_code& e) { return fs::create_directory(p, e); });
    predicate("RemoveDir", [](const fs::path& p, std::error_code& e) { return fs::is_directory(p, e) && fs::remove(p, e); });
    predicate("SetCurrentDir", [](const fs::path& p, std::error_code& e) {
        fs::current_path(p, e);
        return !e;
    });
    function(r, kUnit, "RenameFile", 2, [](Variant& v, TKSInterpreterArgs& a) {
        std::error_code error;
        const fs::path to = diskPath(text(a, 1));
        v = Variant(!fs::exists(to, error) && (fs::rename(diskPath(text(a, 0)), to, error), !error));
    });
    function(r, kUnit, "GetCurrentDir", 0, [](Variant& v, TKSInterpreterArgs&) {
        std::error_code error;
        v = Variant(enginePath(fs::current_path(error)));
    });
    function(r, kUnit, "FileGetAttr", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(fileAttributes(diskPath(text(a, 0)))); });
    function(r, kUnit, "FileAge", 1, [](Variant& v, TKSInterpreterArgs& a) {
        const std::optional<double> time = modificationTime(diskPath(text(a, 0)));
        v = Variant(time ? toFileDate(*time) : -1);
    });
    function(r, kUnit, "FileDateToDateTime", 1, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant::fromDate(fromFileDate(integer(a, 0)));
    });
    function(r, kUnit, "DateTimeToFileDate", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(toFileDate(a.arg(0).toDate())); });
    for (const bool free : {true, false})
        function(r, kUnit, free ? "DiskFree" : "DiskSize", 1, [free](Variant& v, TKSInterpreterArgs& a) {
            std::error_code error;
            const fs::space_info space = fs::space(fs::current_path(error), error);
            v = integer(a, 0) != 0 || error ? Variant(-1LL) : Variant((long long)(free ? space.available : space.capacity));
        });
}

} // namespace

void registerSysUtilsFileBindings(TKSInterpreterAdapter& registry)
{
    registerSearch(registry);
    registerFiles(registry);
}
