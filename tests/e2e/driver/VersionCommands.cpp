// Commands about a program file's resources: its version record, its application manifest and its icons, read
// the way Windows' own file properties and loader read them.
#include <windows.h>

#include <string>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "Text.h"

namespace {

struct Translation {
    WORD language;
    WORD codePage;
};

std::string hex4(unsigned value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = digits[value & 0xFu];
    return text;
}

// Without --string: the file version of the fixed record, "a.b.c.d". With it: that text of the first
// language the record lists.
int versionInfo(const Args& args) {
    auto file = args.value("file");
    if (!file) return complain("name the program with --file", kUsage);
    const std::wstring path = toWide(*file);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return complain("no version record (" + std::to_string(::GetLastError()) + ")", kMissing);
    std::vector<BYTE> record(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, record.data())) {
        return complain("GetFileVersionInfoW failed (" + std::to_string(::GetLastError()) + ")", kCannot);
    }
    void* found = nullptr;
    UINT length = 0;
    if (!args.has("string")) {
        if (!::VerQueryValueW(record.data(), L"\\", &found, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
            return complain("the record has no fixed part", kMissing);
        }
        const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(found);
        return say(std::to_string(HIWORD(fixed.dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed.dwFileVersionMS)) +
                       "." + std::to_string(HIWORD(fixed.dwFileVersionLS)) + "." +
                       std::to_string(LOWORD(fixed.dwFileVersionLS)),
                   kYes);
    }
    if (!::VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &found, &length) ||
        length < sizeof(Translation)) {
        return complain("the record lists no language", kMissing);
    }
    const auto& translation = *static_cast<const Translation*>(found);
    const std::wstring query = L"\\StringFileInfo\\" + toWide(hex4(translation.language) + hex4(translation.codePage)) +
                               L"\\" + toWide(*args.value("string"));
    if (!::VerQueryValueW(record.data(), query.c_str(), &found, &length) || length == 0) {
        return complain("no such text in the record", kMissing);
    }
    return say(toUtf8(static_cast<const wchar_t*>(found)), kYes);
}

// The manifest as the loader finds it: resource type 24 (RT_MANIFEST), id 1, printed as stored.
int manifest(const Args& args) {
    auto file = args.value("file");
    if (!file) return complain("name the program with --file", kUsage);
    HMODULE module =
        ::LoadLibraryExW(toWide(*file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return complain("cannot load the file (" + std::to_string(::GetLastError()) + ")", kMissing);
    std::string text;
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (bytes) text.assign(static_cast<const char*>(bytes), ::SizeofResource(module, resource));
    ::FreeLibrary(module);
    if (!bytes) return complain("the file has no manifest of id 1", kMissing);
    writeOut(text);
    if (text.empty() || text.back() != '\n') writeOut("\n");
    return kYes;
}

// The icons a program file carries: the ids of its icon groups (resource type 14), one a line.
int icons(const Args& args) {
    auto file = args.value("file");
    if (!file) return complain("name the program with --file", kUsage);
    HMODULE module =
        ::LoadLibraryExW(toWide(*file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return complain("cannot load the file (" + std::to_string(::GetLastError()) + ")", kMissing);
    std::string ids;
    ::EnumResourceNamesW(
        module, MAKEINTRESOURCEW(14),
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
            auto& text = *reinterpret_cast<std::string*>(found);
            text += IS_INTRESOURCE(name) ? std::to_string(reinterpret_cast<ULONG_PTR>(name)) : toUtf8(name);
            text += "\n";
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&ids));
    ::FreeLibrary(module);
    if (ids.empty()) return complain("the file has no icon", kMissing);
    writeOut(ids);
    return kYes;
}

}  // namespace

void addVersionCommands(std::vector<Command>& table) {
    table.push_back(
        {"version-info", {"file", "string"}, "--file F [--string ProductName|FileVersion|...]", versionInfo});
    table.push_back({"manifest", {"file"}, "--file F", manifest});
    table.push_back({"icons", {"file"}, "--file F", icons});
}
