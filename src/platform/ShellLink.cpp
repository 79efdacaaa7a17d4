#include "platform/ShellLink.h"

#include <QDir>

#include "platform/Folders.h"

#ifdef Q_OS_WIN
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#endif

namespace platform {

#ifdef Q_OS_WIN

namespace {

// The environment variable keeps the link working whatever drive Windows lives on.
constexpr wchar_t kExplorer[] = L"%windir%\\explorer.exe ";

std::wstring Native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

}  // namespace

bool SaveExplorerLink(const QString& linkPath, const QString& arguments, const QString& iconPath) {
    // The interface thread usually has COM already; a thread in the other apartment mode still
    // may create the link, it only must not be uninitialised here.
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool saved = false;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        const std::wstring args = arguments.toStdWString();
        bool ready =
            SUCCEEDED(link->SetPath(kExplorer)) && SUCCEEDED(link->SetArguments(args.c_str()));
        if (ready && !iconPath.isEmpty()) {
            const std::wstring icon = Native(iconPath);
            ready = SUCCEEDED(link->SetIconLocation(icon.c_str(), 0));
        }
        IPersistFile* file = nullptr;
        if (ready &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            const std::wstring path = Native(linkPath);
            saved = SUCCEEDED(file->Save(path.c_str(), TRUE));
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init)) {
        CoUninitialize();
    }
    return saved;
}

QString SystemFolderForShell() {
    BOOL wow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) {
        wchar_t buffer[MAX_PATH];
        const UINT length = GetSystemWow64DirectoryW(buffer, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            return QDir::fromNativeSeparators(QString::fromWCharArray(buffer, length)) +
                   QLatin1Char('/');
        }
    }
    return SystemFolder();
}

#else

bool SaveExplorerLink(const QString&, const QString&, const QString&) {
    return false;
}

QString SystemFolderForShell() {
    return SystemFolder();
}

#endif

}  // namespace platform
