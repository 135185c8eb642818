// Folder walks through FindFirstFileExW. A folder is known by its volume and
// file index, so a junction or folder link back into the walk (a loop) or to
// a folder walked before is reported and skipped, as on other systems. Links
// count as what they lead to. Nothing is ever opened for writing.
#include "platform/DirWalk.h"

#include "platform/win/Utf16.h"
#include "platform/win/WinErrorText.h"
#include "platform/win/WinFileInfo.h"

#include <windows.h>

#include <map>
#include <tuple>

namespace slidora {

namespace {

// Volume serial number and the 64-bit file index.
using FolderId = std::tuple<DWORD, DWORD, DWORD>;

bool folderIdOf(const std::wstring& folder, FolderId& id) {
    const HANDLE handle =
        ::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (ok) id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return ok;
}

class Walker {
  public:
    Walker(const WalkVisitor& visitor, const WalkObserver& skipped)
        : m_visitor(visitor), m_skipped(skipped) {}

    // Returns false when the visitor asked to stop. `parent` and `name` name
    // the folder for the observer; the start folder has an empty name.
    bool walk(const std::string& folder, const std::string& parent, const std::string& name) {
        const std::wstring wideFolder = win::toUtf16(folder);
        FolderId id;
        if (!folderIdOf(wideFolder, id)) {
            const DWORD error = ::GetLastError();
            const bool missingStart =
                name.empty() && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
            if (!missingStart)
                report(parent, name, WalkSkip::UnreadableFolder, win::errorText(error));
            return true;
        }
        const auto [seen, isNew] = m_visited.insert({id, Visit{folder, true}});
        if (!isNew) {
            report(parent, name, seen->second.open ? WalkSkip::Loop : WalkSkip::AlreadyWalked,
                   seen->second.path);
            return true;
        }
        WIN32_FIND_DATAW entry{};
        const HANDLE find =
            ::FindFirstFileExW((wideFolder + L"*").c_str(), FindExInfoBasic, &entry,
                               FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            // An empty folder (a drive root has no "." entry) is no error.
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
                report(parent, name, WalkSkip::UnreadableFolder, win::errorText(error));
            seen->second.open = false;
            return true;
        }
        bool keepGoing = true;
        do {
            keepGoing = visitEntry(folder, entry);
        } while (keepGoing && ::FindNextFileW(find, &entry));
        ::FindClose(find);
        seen->second.open = false;
        return keepGoing;
    }

  private:
    struct Visit {
        std::string path; // as first walked
        bool open;        // the walk is still inside it
    };

    bool visitEntry(const std::string& folder, const WIN32_FIND_DATAW& entry) {
        const std::wstring wideName = entry.cFileName;
        if (wideName == L"." || wideName == L"..") return true;
        const std::string entryName = win::toUtf8(wideName);
        DWORD attributes = entry.dwFileAttributes;
        std::uint64_t size =
            (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            // The listing describes the link itself: look at what it leads to.
            win::FileInfo target;
            if (!win::targetInfoOf(win::toUtf16(folder + entryName), target)) {
                report(folder, entryName, WalkSkip::Unreachable, win::lastErrorText());
                return true;
            }
            attributes = target.attributes;
            size = target.sizeBytes;
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return walk(folder + entryName + '\\', folder, entryName);
        if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
            report(folder, entryName, WalkSkip::SpecialFile, {});
            return true;
        }
        return m_visitor(WalkFile{folder, entryName, static_cast<std::int64_t>(size)});
    }

    void report(const std::string& folder, const std::string& name, WalkSkip why,
                const std::string& detail) {
        if (m_skipped) m_skipped(WalkSkipped{folder, name, why, detail});
    }

    const WalkVisitor& m_visitor;
    const WalkObserver& m_skipped;
    std::map<FolderId, Visit> m_visited;
};

} // namespace

bool walkFolder(const std::string& folder, const WalkVisitor& visitor) {
    return walkFolder(folder, visitor, {});
}

bool walkFolder(const std::string& folder, const WalkVisitor& visitor,
                const WalkObserver& skipped) {
    if (folder.empty()) return true;
    // Folders are handed to the visitor with the system's separator, also
    // when the start was written with slashes.
    std::string start = folder;
    for (char& c : start)
        if (c == '/') c = '\\';
    if (start.back() != '\\') start += '\\';
    Walker walker(visitor, skipped);
    return walker.walk(start, start, {});
}

bool folderExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(win::toUtf16(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace slidora
