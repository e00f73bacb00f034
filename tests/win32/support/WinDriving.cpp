#include "WinDriving.h"

#include <commctrl.h>
#include <dlgs.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "io/win32/WidePath.h"

bool WaitFor(const std::function<bool()>& done, int ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        Sleep(20);
    }
    return true;
}

void Pump(const std::function<bool()>& done, int ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    MSG msg;
    while (!done() && std::chrono::steady_clock::now() < end) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
}

void PressKey(WORD key)
{
    INPUT input[2] = {};
    for (INPUT& i : input) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = key;
        i.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    }
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

namespace {

// Thread timers carry no data of their own: the running scripts by timer.
std::map<UINT_PTR, TTickScript*>& RunningScripts()
{
    static std::map<UINT_PTR, TTickScript*> scripts;
    return scripts;
}

}  // namespace

TTickScript::TTickScript(std::vector<TStep> steps, std::function<void()> giveUp, int ms)
    : FSteps(std::move(steps)), FGiveUp(std::move(giveUp)),
      FDeadline(GetTickCount() + static_cast<DWORD>(ms))
{
    FTimer = SetTimer(nullptr, 0, 50, &Tick);
    RunningScripts()[FTimer] = this;
}

TTickScript::~TTickScript()
{
    KillTimer(nullptr, FTimer);
    RunningScripts().erase(FTimer);
}

void CALLBACK TTickScript::Tick(HWND, UINT, UINT_PTR id, DWORD)
{
    auto found = RunningScripts().find(id);
    if (found != RunningScripts().end())
        found->second->Run();
}

void TTickScript::Run()
{
    if (FGaveUp)
        return;
    if (static_cast<LONG>(GetTickCount() - FDeadline) > 0) {
        FGaveUp = true;
        FGiveUp();
        return;
    }
    if (FNext < FSteps.size() && FSteps[FNext]())
        ++FNext;
}

std::string TextOf(HWND wnd)
{
    wchar_t text[8192] = {};
    SendMessageTimeoutW(wnd, WM_GETTEXT, 8192, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        nullptr);
    return Utf8Text(text);
}

std::string CaptionOf(HWND wnd)
{
    wchar_t text[8192] = {};
    InternalGetWindowText(wnd, text, 8192);
    return Utf8Text(text);
}

std::string MessageTextOf(HWND box)
{
    return TextOf(GetDlgItem(box, 0xFFFF));
}

namespace {

struct TProcessWindows {
    DWORD FProcess;
    std::vector<HWND> FFound;
};

// A named callback: the 32-bit system calls it with its own convention.
BOOL CALLBACK CollectVisibleWindow(HWND wnd, LPARAM data)
{
    auto& f = *reinterpret_cast<TProcessWindows*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(wnd, &process);
    if ((f.FProcess == 0 || process == f.FProcess) && IsWindowVisible(wnd))
        f.FFound.push_back(wnd);
    return TRUE;
}

std::vector<HWND> WindowsWithCaption(DWORD process, const std::string& caption)
{
    std::vector<HWND> found;
    for (HWND wnd : VisibleWindowsOf(process))
        if (TextOf(wnd) == caption)
            found.push_back(wnd);
    return found;
}

struct TChildFind {
    const std::string& FPart;
    const char* FClass;
    HWND FFound = nullptr;
};

BOOL CALLBACK FindChild(HWND wnd, LPARAM data)
{
    auto& f = *reinterpret_cast<TChildFind*>(data);
    if (HasClass(wnd, f.FClass) && TextOf(wnd).find(f.FPart) != std::string::npos) {
        f.FFound = wnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> VisibleWindowsOf(DWORD process)
{
    TProcessWindows f{process, {}};
    EnumWindows(CollectVisibleWindow, reinterpret_cast<LPARAM>(&f));
    return f.FFound;
}

bool HasClass(HWND wnd, const char* cls)
{
    char name[64] = {};
    GetClassNameA(wnd, name, sizeof name);
    return lstrcmpiA(name, cls) == 0;
}

HWND WindowOf(DWORD process, const std::string& caption)
{
    std::vector<HWND> found = WindowsWithCaption(process, caption);
    return found.empty() ? nullptr : found.front();
}

int WindowCount(DWORD process, const std::string& caption)
{
    return static_cast<int>(WindowsWithCaption(process, caption).size());
}

HWND WaitForWindow(DWORD process, const std::string& caption, int ms)
{
    HWND wnd = nullptr;
    WaitFor([&] { return (wnd = WindowOf(process, caption)) != nullptr; }, ms);
    return wnd;
}

HWND WaitForWindowOfClass(DWORD process, const char* cls, int ms)
{
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND wnd : VisibleWindowsOf(process))
                if (HasClass(wnd, cls)) {
                    found = wnd;
                    return true;
                }
            return false;
        },
        ms);
    return found;
}

std::vector<std::string> TaskBarTexts(DWORD process)
{
    std::vector<std::string> texts;
    for (HWND wnd : VisibleWindowsOf(process)) {
        LONG_PTR ex = GetWindowLongPtrA(wnd, GWL_EXSTYLE);
        if ((!GetWindow(wnd, GW_OWNER) || (ex & WS_EX_APPWINDOW)) && !(ex & WS_EX_TOOLWINDOW))
            texts.push_back(CaptionOf(wnd));
    }
    return texts;
}

HWND ChildWithText(HWND parent, const std::string& part, const char* cls)
{
    TChildFind find{part, cls};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&find));
    return find.FFound;
}

HWND OwnedDialog(HWND owner)
{
    for (HWND wnd : VisibleWindowsOf(GetCurrentProcessId()))
        if (HasClass(wnd, "#32770") && GetWindow(wnd, GW_OWNER) == owner)
            return wnd;
    return nullptr;
}

bool TypeIntoOpenDialog(HWND dialog, const std::string& text, const std::function<bool()>& done,
                        int ms)
{
    auto nameField = [&] {
        HWND combo = GetDlgItem(dialog, cmb13);
        return combo ? combo : GetDlgItem(dialog, edt1);
    };
    HWND field = nullptr;
    if (!WaitFor([&] { return (field = nameField()) != nullptr; }, ms))
        return false;
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideText(text).c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    HWND box = nullptr;
    WaitFor([&] { return done() || (box = OwnedDialog(dialog)) != nullptr; }, ms);
    if (box)
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    return !box && done();
}

std::vector<std::string> TempFiles(const std::string& pattern)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((std::string(folder) + pattern).c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do
            names.push_back(data.cFileName);
        while (FindNextFileA(find, &data));
        FindClose(find);
    }
    return names;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string WindowsPathOf(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(std::filesystem::path(WideText(path)), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TRunning::TRunning(const std::string& exe, const std::string& arguments, const std::string& folder,
                   bool inheritHandles)
{
    std::wstring commandLine =
        WideText("\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments));
    const std::wstring inFolder = WideText(folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, inheritHandles, 0, nullptr,
                        folder.empty() ? nullptr : inFolder.c_str(), &startup, &FInfo))
        FInfo = {};
}

TRunning::~TRunning()
{
    if (!FInfo.hProcess)
        return;
    if (WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(FInfo.hProcess, 1);
    CloseHandle(FInfo.hProcess);
    CloseHandle(FInfo.hThread);
}

HWND TRunning::Window(const std::string& caption, int ms) const
{
    return WaitForWindow(FInfo.dwProcessId, caption, ms);
}

bool TRunning::Ended(int ms) const
{
    return FInfo.hProcess &&
           WaitForSingleObject(FInfo.hProcess, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
}

TPicture::TPicture(HWND wnd)
{
    RECT r{};
    GetClientRect(wnd, &r);
    FWidth = r.right;
    FHeight = r.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = FWidth;
    info.bmiHeader.biHeight = -FHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    FDc = CreateCompatibleDC(nullptr);
    FBitmap = CreateDIBSection(FDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    FBits = static_cast<std::uint32_t*>(bits);
    FOld = SelectObject(FDc, FBitmap);
    SendMessageA(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(FDc), PRF_CLIENT);
}

TPicture::~TPicture()
{
    SelectObject(FDc, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDc);
}

COLORREF TPicture::At(int x, int y) const
{
    GdiFlush();
    std::uint32_t p = FBits[y * FWidth + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int TPicture::Count(COLORREF colour) const
{
    int n = 0;
    for (int y = 0; y < FHeight; y += 2)
        for (int x = 0; x < FWidth; x += 2)
            n += At(x, y) == colour;
    return n;
}

std::string ListCellText(HWND list, int row, int col)
{
    char buf[256] = {};
    LVITEMA item{};
    item.iSubItem = col;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buf;
}
