#include "shell/folder_picker.h"

#include <objbase.h>
#include <shlobj.h>

#include <memory>

namespace {

// 저장할 폴더를 선택하세요
constexpr char kPickerTitle[] =
    "\xC0\xFA\xC0\xE5\xC7\xD2 \xC6\xFA\xB4\xF5\xB8\xA6 \xBC\xB1\xC5\xC3\xC7\xCF\xBC\xBC\xBF\xE4";

struct ItemListRelease {
    void operator()(ITEMIDLIST* items) const { ::CoTaskMemFree(items); }
};

}  // namespace

int CALLBACK BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM, LPARAM lpData) {
    if (uMsg == BFFM_INITIALIZED) {
        ::SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, lpData);
    }
    return 0;
}

std::optional<std::string> PickFolder(HWND owner, const std::string& current) {
    char displayName[MAX_PATH] = "";
    BROWSEINFOA browse{};
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = kPickerTitle;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = BrowseCallbackProc;
    browse.lParam = reinterpret_cast<LPARAM>(current.c_str());

    const std::unique_ptr<ITEMIDLIST, ItemListRelease> items(::SHBrowseForFolderA(&browse));
    if (items == nullptr) {
        return std::nullopt;
    }
    char path[MAX_PATH] = "";
    if (!::SHGetPathFromIDListA(items.get(), path) || ::lstrlenA(path) == 0) {
        return std::nullopt;
    }
    return std::string(path);
}
