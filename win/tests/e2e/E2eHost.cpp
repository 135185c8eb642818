// Small Win32 jobs for the Windows program's whole-program runs under Wine:
//   slidora_e2e_host picture PATH W H
//       writes a 24-bit BMP: red, with an 8-pixel blue frame
//   slidora_e2e_host picture8 PATH W H
//       the same with 8 bits per pixel: green (0, 200, 0) in a yellow frame
//   slidora_e2e_host preview SCR X Y W H TRIGGER
//       shows a plain magenta window at (X, Y) of W x H client pixels, starts
//       "SCR /p HWND" inside it, prints what it finds of the saver's window
//       among its children (style, size and place, owning process), and
//       destroys the window once the file TRIGGER exists; then waits up to
//       10 s for the saver to end. Exit code 0 when the saver ended with exit
//       code 0, 3 when it did not end, 4 when it ended with another code, 2 on
//       a usage or set-up error.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

void put16(std::vector<unsigned char>& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}
void put32(std::vector<unsigned char>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

int writePicture(const std::wstring& path, int w, int h, bool indexed) {
    const int bytesPerPixel = indexed ? 1 : 3;
    const int stride = (w * bytesPerPixel + 3) / 4 * 4;
    const std::uint32_t pixels = static_cast<std::uint32_t>(stride * h);
    const std::uint32_t offset = 54 + (indexed ? 256 * 4 : 0);
    std::vector<unsigned char> out;
    put16(out, 0x4D42); // "BM"
    put32(out, offset + pixels);
    put32(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(w));
    put32(out, static_cast<std::uint32_t>(h));
    put16(out, 1);
    put16(out, static_cast<unsigned>(bytesPerPixel * 8));
    put32(out, 0);
    put32(out, pixels);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, indexed ? 256 : 0);
    put32(out, 0);
    if (indexed) {
        // Blue, green, red, unused: 1 green, 2 yellow, the rest black.
        for (int i = 0; i < 256; ++i) {
            const unsigned char entry[4] = {0,
                                            static_cast<unsigned char>(i == 1   ? 200
                                                                       : i == 2 ? 255
                                                                                : 0),
                                            static_cast<unsigned char>(i == 2 ? 255 : 0), 0};
            out.insert(out.end(), entry, entry + 4);
        }
    }
    const int border = 8;
    for (int y = h - 1; y >= 0; --y) { // bottom-up rows
        for (int x = 0; x < w; ++x) {
            const bool edge = x < border || y < border || x >= w - border || y >= h - border;
            if (indexed) {
                out.push_back(edge ? 2 : 1);
                continue;
            }
            out.push_back(edge ? 255 : 0); // blue
            out.push_back(0);
            out.push_back(edge ? 0 : 255); // red
        }
        for (int pad = w * bytesPerPixel; pad < stride; ++pad)
            out.push_back(0);
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == out.size() ? 0 : 2;
}

std::wstring g_trigger;
DWORD g_saverProcess = 0;
bool g_childReported = false;
int g_hiddenChildTicks = 0;
// The saver makes its window hidden and shows it once set up: a child still
// hidden this many timer ticks (100 ms each) after it appeared is reported
// as it is.
constexpr int kChildShowTicks = 50;

// Once: the saver's window as a child of the host.
void reportChild(HWND host) {
    HWND child = FindWindowExW(host, nullptr, L"SlidoraSaver", nullptr);
    if (child == nullptr) return;
    if (!IsWindowVisible(child) && ++g_hiddenChildTicks < kChildShowTicks) return;
    g_childReported = true;
    DWORD process = 0;
    GetWindowThreadProcessId(child, &process);
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&rect), 2);
    std::printf("preview window: style %08lx, %ld x %ld at (%ld, %ld), %s\n",
                static_cast<unsigned long>(GetWindowLongW(child, GWL_STYLE)),
                rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top,
                process == g_saverProcess ? "the saver's own" : "another process's");
    std::fflush(stdout);
}

LRESULT CALLBACK hostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (!g_childReported && g_saverProcess != 0) reportChild(hwnd);
        if (GetFileAttributesW(g_trigger.c_str()) != INVALID_FILE_ATTRIBUTES) DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

int runPreviewHost(const std::wstring& scr, int x, int y, int w, int h) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = hostProc;
    wc.hInstance = instance;
    wc.hbrBackground = CreateSolidBrush(RGB(255, 0, 255));
    wc.lpszClassName = L"SlidoraPreviewHost";
    if (!RegisterClassW(&wc)) return 2;
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"SlidoraPreviewHost",
                                WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, w, h, nullptr,
                                nullptr, instance, nullptr);
    if (host == nullptr) return 2;
    UpdateWindow(host);
    SetTimer(host, 1, 100, nullptr);

    std::wstring command =
        L"\"" + scr + L"\" /p " +
        std::to_wstring(static_cast<long long>(reinterpret_cast<std::intptr_t>(host)));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return 2;
    CloseHandle(pi.hThread);
    g_saverProcess = pi.dwProcessId;
    std::printf("host window %lld, saver started\n",
                static_cast<long long>(reinterpret_cast<std::intptr_t>(host)));
    std::fflush(stdout);

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    const ULONGLONG closedAt = GetTickCount64();
    const DWORD waited = WaitForSingleObject(pi.hProcess, 10000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    if (waited != WAIT_OBJECT_0) {
        std::printf("the saver did not end with its host\n");
        return 3;
    }
    std::printf("the saver ended %llu ms after its host, exit code %lu\n",
                static_cast<unsigned long long>(GetTickCount64() - closedAt),
                static_cast<unsigned long>(code));
    return code == 0 ? 0 : 4;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring job = argc > 1 ? argv[1] : L"";
    if ((job == L"picture" || job == L"picture8") && argc == 5)
        return writePicture(argv[2], _wtoi(argv[3]), _wtoi(argv[4]), job == L"picture8");
    if (job == L"preview" && argc == 8) {
        g_trigger = argv[7];
        return runPreviewHost(argv[2], _wtoi(argv[3]), _wtoi(argv[4]), _wtoi(argv[5]),
                              _wtoi(argv[6]));
    }
    std::fprintf(
        stderr,
        "usage: slidora_e2e_host picture|picture8 PATH W H | preview SCR X Y W H TRIGGER\n");
    return 2;
}
