// Commands about a tree view in another program's window (the shell's folder picker): list its items and
// choose one by the texts on its way down, as a user opens each level and clicks the last.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <memory>

#include "Args.h"
#include "Commands.h"
#include "Text.h"
#include "Windows.h"

namespace {

constexpr size_t kTextUnits = 512;

// The item record and its text buffer must lie in the tree's own process: TVM_GETITEMW is not carried
// across processes, the tree writes through the pointers as they are.
class RemoteItemReader {
public:
    explicit RemoteItemReader(HWND tree) : m_tree(tree) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(tree, &pid);
        m_process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_process) {
            m_memory = ::VirtualAllocEx(m_process, nullptr, sizeof(TVITEMW) + kTextUnits * sizeof(wchar_t),
                                        MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
    }
    ~RemoteItemReader() {
        if (m_memory) ::VirtualFreeEx(m_process, m_memory, 0, MEM_RELEASE);
        if (m_process) ::CloseHandle(m_process);
    }
    RemoteItemReader(const RemoteItemReader&) = delete;
    RemoteItemReader& operator=(const RemoteItemReader&) = delete;
    bool ready() const { return m_memory != nullptr; }

    std::wstring text(HTREEITEM item) {
        auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(m_memory) + sizeof(TVITEMW));
        TVITEMW record{};
        record.mask = TVIF_TEXT | TVIF_HANDLE;
        record.hItem = item;
        record.pszText = remoteText;
        record.cchTextMax = static_cast<int>(kTextUnits);
        if (!::WriteProcessMemory(m_process, m_memory, &record, sizeof record, nullptr)) return {};
        if (!::SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(m_memory))) return {};
        wchar_t buffer[kTextUnits] = {};
        if (!::ReadProcessMemory(m_process, remoteText, buffer, sizeof buffer - sizeof(wchar_t), nullptr)) return {};
        return buffer;
    }

private:
    HWND m_tree;
    HANDLE m_process = nullptr;
    void* m_memory = nullptr;
};

HTREEITEM nextItem(HWND tree, HTREEITEM item, WPARAM relation) {
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

std::wstring lowered(std::wstring text) {
    if (!text.empty()) ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

HWND treeOf(const Args& args, int& code) {
    std::string error;
    auto query = windowQueryFrom(args, "class", error);
    if (!query) {
        code = complain(error, kUsage);
        return nullptr;
    }
    HWND window = waitTopLevel(*query, timeoutFrom(args, 3000));
    if (!window) {
        code = complain("no such window", kMissing);
        return nullptr;
    }
    ChildQuery treeQuery;
    treeQuery.className = WC_TREEVIEWW;
    HWND tree = findChild(window, treeQuery);
    if (!tree) code = complain("no tree view in that window", kMissing);
    return tree;
}

// One level per "|" of --path; an item matches when its text holds that part, ignoring case. Each item on
// the way is opened (its children are often filled in only then), the last one is selected.
int treeSelect(const Args& args) {
    int code = kUsage;
    HWND tree = treeOf(args, code);
    if (!tree) return code;
    RemoteItemReader reader(tree);
    if (!reader.ready()) return complain("cannot reach the tree's process", kCannot);
    std::wstring path = toWide(args.valueOr("path", ""));
    HTREEITEM level = nextItem(tree, nullptr, TVGN_ROOT);
    HTREEITEM chosen = nullptr;
    for (size_t start = 0; start <= path.size();) {
        const size_t bar = path.find(L'|', start);
        const std::wstring part =
            lowered(path.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start));
        start = bar == std::wstring::npos ? path.size() + 1 : bar + 1;
        chosen = nullptr;
        for (HTREEITEM item = level; item; item = nextItem(tree, item, TVGN_NEXT)) {
            if (lowered(reader.text(item)).find(part) != std::wstring::npos) {
                chosen = item;
                break;
            }
        }
        if (!chosen) return complain("no item holds \"" + toUtf8(part) + "\" at that level", kMissing);
        ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(chosen));
        level = nextItem(tree, chosen, TVGN_CHILD);
    }
    if (!::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(chosen))) {
        return complain("the tree refused the selection", kNo);
    }
    return say(toUtf8(reader.text(chosen)), kYes);
}

void listLevel(HWND tree, RemoteItemReader& reader, HTREEITEM first, int depth, int maxDepth) {
    for (HTREEITEM item = first; item; item = nextItem(tree, item, TVGN_NEXT)) {
        writeOut(std::string(static_cast<size_t>(depth) * 2, ' ') + toUtf8(reader.text(item)) + "\n");
        HTREEITEM child = nextItem(tree, item, TVGN_CHILD);
        if (child && depth < maxDepth) listLevel(tree, reader, child, depth + 1, maxDepth);
    }
}

// The items as they are now (what is open), indented by level; for reading a failure's log.
int treeList(const Args& args) {
    int code = kUsage;
    HWND tree = treeOf(args, code);
    if (!tree) return code;
    RemoteItemReader reader(tree);
    if (!reader.ready()) return complain("cannot reach the tree's process", kCannot);
    listLevel(tree, reader, nextItem(tree, nullptr, TVGN_ROOT), 0, 8);
    return kYes;
}

}  // namespace

void addTreeCommands(std::vector<Command>& table) {
    static const std::vector<std::string> options = {"title",    "title-contains", "class",  "pid",
                                                     "visible!", "hidden!",        "timeout"};
    static const std::vector<std::string> selectOptions = [] {
        std::vector<std::string> all = options;
        all.push_back("path");
        return all;
    }();
    table.push_back(
        {"tree-select", selectOptions, "(--title T | --title-contains S | --class C) --path A|B|C", treeSelect});
    table.push_back({"tree-list", options, "(--title T | --title-contains S | --class C)", treeList});
}
