#include "platform/win32/win32_file_dialogs.h"

#include "platform/ui/form.h"
#include "platform/win32/form_window.h"
#include "platform/win32/text.h"

#include <windows.h>

#include <cderr.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <memory>
#include <string>

namespace pictorn::platform::win32 {
namespace {

// Long enough for any path the system can hand back (the \\?\ limit).
constexpr DWORD kPathBuffer = 32768;
// The browser's new-folder button; the same id on Windows and under Wine.
constexpr int kNewFolderButtonId = 14150;

HWND ownerWindow(ui::Form* owner) {
    if (!owner)
        return nullptr;
    if (auto* window = dynamic_cast<FormWindow*>(owner->peer()))
        return window->hwnd();
    return nullptr;
}

// "desc\0pattern\0...\0\0", as the file dialogs take their type list.
std::wstring filterBlock(const std::vector<FileFilter>& filters) {
    std::wstring block;
    for (const FileFilter& filter : filters) {
        block += toWide(filter.description);
        block.push_back(L'\0');
        block += toWide(filter.pattern);
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

std::wstring nameBuffer(const std::string& initial) {
    std::wstring buffer = toWide(initial);
    buffer.resize(kPathBuffer, L'\0');
    return buffer;
}

// Runs the dialog; a proposed name the dialog refuses (bad characters, too long) is dropped
// and the dialog shown without it, rather than not at all.
template <class Show> bool runFileDialog(OPENFILENAMEW& ofn, std::wstring& buffer, Show show) {
    if (show(&ofn))
        return true;
    DWORD error = CommDlgExtendedError();
    if (error == FNERR_INVALIDFILENAME && buffer[0] != L'\0') {
        buffer.assign(kPathBuffer, L'\0');
        ofn.lpstrFile = buffer.data();
        if (show(&ofn))
            return true;
        error = CommDlgExtendedError();
    }
    if (error != 0)
        raiseDialogFailed(error);
    return false; // the user cancelled
}

struct CoTaskMemDeleter {
    void operator()(void* memory) const noexcept { CoTaskMemFree(memory); }
};
using ItemIdList = std::unique_ptr<ITEMIDLIST, CoTaskMemDeleter>;

// The browser with the new-folder button needs a single-threaded apartment.
class ComApartment {
public:
    ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (ok_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool ok_;
};

struct BrowseContext {
    std::wstring title;
    std::wstring initialFolder;
};

void labelNewFolderButton(HWND dialog) {
    HWND button = GetDlgItem(dialog, kNewFolderButtonId);
    if (button && !IsWindowVisible(button))
        SetWindowTextW(button, L"New Folder");
}

int CALLBACK browseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    const auto* context = reinterpret_cast<const BrowseContext*>(data);
    if (message == BFFM_INITIALIZED) {
        if (!context->title.empty())
            SetWindowTextW(dialog, context->title.c_str());
        if (!context->initialFolder.empty())
            SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE,
                         reinterpret_cast<LPARAM>(context->initialFolder.c_str()));
        labelNewFolderButton(dialog);
    } else if (message == BFFM_SELCHANGED) {
        labelNewFolderButton(dialog);
    }
    return 0;
}

} // namespace

std::optional<std::string> Win32FileDialogs::openFile(ui::Form* owner,
                                                      const OpenFileRequest& request) {
    const std::wstring filters = filterBlock(request.filters);
    const std::wstring title = toWide(request.title);
    const std::wstring initialDir = toWide(request.initialDir);
    std::wstring buffer = nameBuffer({});
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ownerWindow(owner);
    ofn.lpstrFilter = request.filters.empty() ? nullptr : filters.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = kPathBuffer;
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    // The program's current folder is not the dialog's to change.
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    if (request.hideReadOnly)
        ofn.Flags |= OFN_HIDEREADONLY;
    if (request.fileMustExist)
        ofn.Flags |= OFN_FILEMUSTEXIST;
    if (!runFileDialog(ofn, buffer, GetOpenFileNameW))
        return std::nullopt;
    return toUtf8(buffer.c_str());
}

std::optional<SaveFileAnswer> Win32FileDialogs::saveFile(ui::Form* owner,
                                                         const SaveFileRequest& request) {
    const std::wstring filters = filterBlock(request.filters);
    const std::wstring title = toWide(request.title);
    const std::wstring initialDir = toWide(request.initialDir);
    const std::wstring defaultExtension = toWide(request.defaultExtension);
    std::wstring buffer = nameBuffer(request.fileName);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ownerWindow(owner);
    ofn.lpstrFilter = request.filters.empty() ? nullptr : filters.c_str();
    const int count = static_cast<int>(request.filters.size());
    ofn.nFilterIndex = static_cast<DWORD>(
        request.filterIndex >= 1 && request.filterIndex <= count ? request.filterIndex : 1);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = kPathBuffer;
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (request.overwritePrompt)
        ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (request.pathMustExist)
        ofn.Flags |= OFN_PATHMUSTEXIST;
    if (request.hideReadOnly)
        ofn.Flags |= OFN_HIDEREADONLY;
    if (!runFileDialog(ofn, buffer, GetSaveFileNameW))
        return std::nullopt;
    return SaveFileAnswer{toUtf8(buffer.c_str()), static_cast<int>(ofn.nFilterIndex)};
}

std::optional<std::string> Win32FileDialogs::browseFolder(ui::Form* owner,
                                                          const FolderRequest& request) {
    const ComApartment apartment;
    BrowseContext context{toWide(request.title), toWide(request.initialFolder)};
    const std::wstring prompt = toWide(request.prompt);
    std::wstring displayName(MAX_PATH, L'\0');
    BROWSEINFOW info{};
    info.hwndOwner = ownerWindow(owner);
    info.pszDisplayName = displayName.data();
    info.lpszTitle = prompt.empty() ? nullptr : prompt.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    if (!request.newFolderButton)
        info.ulFlags |= BIF_NONEWFOLDERBUTTON;
    info.lpfn = &browseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&context);
    const ItemIdList chosen{SHBrowseForFolderW(&info)};
    if (!chosen)
        return std::nullopt;
    std::wstring path(kPathBuffer, L'\0');
    // A virtual item (Control Panel, a printer) has no path: the user chose no folder.
    if (!SHGetPathFromIDListEx(chosen.get(), path.data(), kPathBuffer, GPFIDL_DEFAULT))
        return std::string();
    return toUtf8(path.c_str());
}

} // namespace pictorn::platform::win32
