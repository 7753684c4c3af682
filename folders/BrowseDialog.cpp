#include "folders/BrowseDialog.h"

namespace {
constexpr const char* kNoTitle = "@@@";
}  // namespace

std::string BrowseForFolder(IFileSystem& files, WindowId owner, uint32_t flags, const std::string& title) {
    FolderPickerArgs args{.owner = owner, .flags = flags, .title = title};
    if (title == kNoTitle) args.title = std::nullopt;
    std::string path = files.browseForFolder(args);
    // The picker hands back a fixed buffer's text: only what lies before its first NUL is the path.
    if (const size_t nul = path.find('\0'); nul != std::string::npos) path.resize(nul);
    return path;
}
