#pragma once
// The Windows side of TempTree.h: the same helpers over the wide Win32 calls,
// so that names with Japanese characters reach the disk as they are whatever
// the system's code page. Paths are handed out with the system's separator,
// as the walks and the settings code build them; a '/' in a relative name is
// taken as one.
#include "platform/win/Utf16.h"
#include "tests/support/ChildOutcome.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>
#include <string>
#include <thread>

namespace slidora::test {

// No account on Windows writes a read-only file by ignoring the attribute.
inline bool runningAsRoot() {
    return false;
}

// `path` with every '/' turned into the system's separator.
inline std::string nativeSeparators(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

inline std::filesystem::path widePath(const std::string& path) {
    return std::filesystem::path(win::toUtf16(path));
}

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(widePath(path), std::ios::binary);
    std::ostringstream buf;
    buf << in.rdbuf();
    return buf.str();
}

inline void writeWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(widePath(path), std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

// Whether anything, a dangling link included, has this name: looked up in
// its folder's listing, which shows a link whatever it leads to.
inline bool nameExists(const std::string& path) {
    const std::wstring wide = win::toUtf16(path);
    const std::size_t slash = wide.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return false;
    const std::wstring name = wide.substr(slash + 1);
    WIN32_FIND_DATAW entry{};
    const HANDLE find = ::FindFirstFileW((wide.substr(0, slash) + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool found = false;
    do {
        found = name == entry.cFileName;
    } while (!found && ::FindNextFileW(find, &entry));
    ::FindClose(find);
    return found;
}

// Wine keeps its files on the Unix side and shows a Unix symbolic link as a
// reparse point; its own CreateSymbolicLinkW (8.0) reports success and makes
// nothing. There a link is made by the system's ln. False when not under
// Wine or when ln fails.
inline bool makeLinkUnderWine(const std::string& target, bool targetIsAbsolute,
                              const std::string& linkPath) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const auto unixName = kernel == nullptr
                              ? nullptr
                              : reinterpret_cast<UnixName>(reinterpret_cast<void*>(
                                    ::GetProcAddress(kernel, "wine_get_unix_file_name")));
    if (unixName == nullptr) return false;
    const auto toUnix = [&](const std::string& path) {
        char* name = unixName(win::toUtf16(path).c_str());
        if (name == nullptr) return std::string();
        std::string out = name;
        ::HeapFree(::GetProcessHeap(), 0, name);
        return out;
    };
    std::string unixTarget = targetIsAbsolute ? toUnix(target) : target;
    if (!targetIsAbsolute)
        for (char& c : unixTarget)
            if (c == '\\') c = '/';
    const std::string unixLink = toUnix(linkPath);
    if (unixTarget.empty() || unixLink.empty()) return false;
    std::wstring command =
        L"ln -s -- \"" + win::toUtf16(unixTarget) + L"\" \"" + win::toUtf16(unixLink) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(L"Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process))
        return false;
    // Wine does not wait for a Unix program: its handle is signalled at once,
    // so the link is looked for until it appears.
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!nameExists(linkPath)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        ::Sleep(5);
    }
    return true;
}

// Removes a tree without following links: a link is removed, never what it
// leads to, and read-only files are cleared first.
inline void removeTreeWide(const std::wstring& folder) {
    WIN32_FIND_DATAW entry{};
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            const DWORD attributes = entry.dwFileAttributes;
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                if (!::RemoveDirectoryW(path.c_str())) ::DeleteFileW(path.c_str());
            } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                removeTreeWide(path);
            } else {
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(find, &entry));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
}

class TempTree {
  public:
    TempTree() {
        wchar_t temp[MAX_PATH + 1] = {};
        const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
        if (length == 0 || length > MAX_PATH) ADD_FAILURE() << "no temporary folder";
        static unsigned counter = 0;
        for (unsigned attempt = 0; attempt < 1000; ++attempt) {
            const std::wstring candidate = std::wstring(temp) + L"slidora-test-" +
                                           std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                           std::to_wstring(++counter);
            if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
                m_root = win::toUtf8(candidate);
                return;
            }
            if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
        }
        ADD_FAILURE() << "cannot make a temporary folder";
    }
    ~TempTree() {
        if (!m_root.empty()) removeTreeWide(win::toUtf16(m_root));
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The root folder, without a trailing separator.
    const std::string& root() const { return m_root; }
    std::string path(const std::string& rel) const { return m_root + "\\" + nativeSeparators(rel); }

    std::string dir(const std::string& rel) {
        const std::string p = path(rel);
        std::filesystem::create_directories(widePath(p));
        return p;
    }
    std::string file(const std::string& rel, std::size_t sizeBytes) {
        return text(rel, std::string(sizeBytes, 'x'));
    }
    std::string text(const std::string& rel, const std::string& bytes) {
        const std::string p = path(rel);
        std::filesystem::create_directories(widePath(p).parent_path());
        writeWholeFile(p, bytes);
        return p;
    }
    // A symbolic link at `rel` leading to `target` (absolute, or relative to
    // the link's folder).
    std::string link(const std::string& target, const std::string& rel) {
        const std::string p = path(rel);
        const std::filesystem::path parent = widePath(p).parent_path();
        std::filesystem::create_directories(parent);
        const std::string nativeTarget = nativeSeparators(target);
        const bool absolute = nativeTarget.size() > 1 && nativeTarget[1] == ':';
        const std::wstring resolved = absolute
                                          ? win::toUtf16(nativeTarget)
                                          : parent.wstring() + L"\\" + win::toUtf16(nativeTarget);
        const DWORD attributes = ::GetFileAttributesW(resolved.c_str());
        const bool folder =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) |
                            SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
        if (::CreateSymbolicLinkW(win::toUtf16(p).c_str(), win::toUtf16(nativeTarget).c_str(),
                                  flags) &&
            nameExists(p))
            return p;
        // Wine lists no link that leads nowhere; one is made while a stand-in
        // target exists, so that its appearance can be awaited.
        const bool standIn = attributes == INVALID_FILE_ATTRIBUTES;
        if (standIn) {
            const HANDLE made = ::CreateFileW(resolved.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (made != INVALID_HANDLE_VALUE) ::CloseHandle(made);
        }
        if (!makeLinkUnderWine(nativeTarget, absolute, p))
            ADD_FAILURE() << "cannot make a link " << p << " -> " << target;
        if (standIn) ::DeleteFileW(resolved.c_str());
        return p;
    }
    void remove(const std::string& rel) const {
        std::error_code ec;
        std::filesystem::remove(widePath(path(rel)), ec);
    }
    // Sets the read-only attribute, which Windows honours for every user.
    std::string readOnly(const std::string& rel) const {
        const std::string p = path(rel);
        if (!::SetFileAttributesW(win::toUtf16(p).c_str(), FILE_ATTRIBUTE_READONLY))
            ADD_FAILURE() << "cannot make " << p << " read-only";
        return p;
    }

  private:
    std::string m_root;
};

// Windows has no fork: the call runs on a thread of its own. One that does
// not answer by the deadline cannot be stopped, so the test program ends
// there with a failure instead of hanging; an exception counts as a crash.
inline ChildOutcome runInChild(const std::function<bool()>& call,
                               std::chrono::milliseconds deadline = std::chrono::seconds(20)) {
    std::packaged_task<bool()> task(call);
    std::future<bool> answer = task.get_future();
    std::thread worker(std::move(task));
    if (answer.wait_for(deadline) != std::future_status::ready) {
        std::fprintf(stderr, "a call did not return within %lld ms (blocked)\n",
                     static_cast<long long>(deadline.count()));
        std::fflush(stderr);
        std::_Exit(3);
    }
    // Joined, never detached: a thread still on its way out while the test
    // program ends can fault in the runtime's thread teardown.
    worker.join();
    try {
        return answer.get() ? ChildOutcome::True : ChildOutcome::False;
    } catch (...) {
        return ChildOutcome::Crashed;
    }
}

} // namespace slidora::test
