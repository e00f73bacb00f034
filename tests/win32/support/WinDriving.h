// Driving Windows programs from outside as a user would: find their windows
// by caption, read controls, wait with a time limit, start and end programs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Polls done every 20 ms until it holds or ms have passed; false on time-out.
bool WaitFor(const std::function<bool()>& done, int ms = 30000);

// Dispatches this thread's messages until done holds or ms have passed: for
// windows that the test itself creates.
void Pump(const std::function<bool()>& done, int ms = 20000);

// A key pressed and released through the system's input queue, as a user
// types it: it goes to the window with the keyboard focus, through the
// message loop of that window's thread (dialog keys through the dialog
// manager), unlike a posted WM_KEYDOWN.
void PressKey(WORD key);

// Steps run one after another from a timer of this thread, so inside
// whatever message loop the thread runs meanwhile (a modal window's): the
// keys they press go through that loop. A step returns false to be called
// again at the next tick. When the loop still runs after ms, giveUp runs
// once; it must end the loop (destroy the window) so that a test that goes
// wrong fails instead of hanging.
class TTickScript {
public:
    using TStep = std::function<bool()>;
    TTickScript(std::vector<TStep> steps, std::function<void()> giveUp, int ms = 15000);
    ~TTickScript();
    TTickScript(const TTickScript&) = delete;
    TTickScript& operator=(const TTickScript&) = delete;

    std::size_t StepsDone() const { return FNext; }
    bool GaveUp() const { return FGaveUp; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    void Run();

    std::vector<TStep> FSteps;
    std::function<void()> FGiveUp;
    std::size_t FNext = 0;
    bool FGaveUp = false;
    DWORD FDeadline;
    UINT_PTR FTimer = 0;
};

// A window's text (up to 8 KiB) in UTF-8, also across processes; empty when
// the owner hangs.
std::string TextOf(HWND wnd);

// The text of a report list view's cell (up to 255 bytes), of this process.
std::string ListCellText(HWND list, int row, int col);

// The caption as the system keeps and draws it, whatever the window's
// procedure makes of a request for its text.
std::string CaptionOf(HWND wnd);

// The text of a message box, without its caption.
std::string MessageTextOf(HWND box);

// The first visible top-level window with this caption, of the process (any
// process when 0); nullptr when there is none. WindowCount counts them.
HWND WindowOf(DWORD process, const std::string& caption);
int WindowCount(DWORD process, const std::string& caption);
HWND WaitForWindow(DWORD process, const std::string& caption, int ms = 30000);

// Visible top-level windows of the process (any process when 0), topmost
// first, and whether a window is of a class (any case).
std::vector<HWND> VisibleWindowsOf(DWORD process);
bool HasClass(HWND wnd, const char* cls);

// The first visible top-level window of the process and window class,
// waited for up to ms; nullptr on time-out.
HWND WaitForWindowOfClass(DWORD process, const char* cls, int ms = 20000);

// The captions that the task bar and Alt+Tab list for the process: visible
// top-level windows that are unowned or marked as application windows, no
// tool windows.
std::vector<std::string> TaskBarTexts(DWORD process);

// The first child of parent (at any depth) of the class whose text contains
// part, or nullptr.
HWND ChildWithText(HWND parent, const std::string& part, const char* cls);

// A visible dialog of this process owned by owner (the open dialog has
// none), or nullptr.
HWND OwnedDialog(HWND owner);

// Types text into the open dialog's name field, presses Open once and waits
// for done; a message box instead (a name the dialog refuses) is closed and
// fails.
bool TypeIntoOpenDialog(HWND dialog, const std::string& text, const std::function<bool()>& done,
                        int ms = 15000);

// Names of the files matching pattern ("kvu*") in the temporary folder.
std::vector<std::string> TempFiles(const std::string& pattern);

// Paths here are UTF-8, as the program's are.
bool Exists(const std::string& path);
// A Unix path as Wine's drive for the Unix root shows it ("Z:\\...").
std::string WindowsPathOf(const std::string& unixPath);
std::string ReadWholeFile(const std::string& path);

// A program started with a command line of the quoted exe and arguments, in
// folder (the caller's when empty), inheriting inheritable handles when
// asked; ended by force if it still runs when the object goes.
class TRunning {
public:
    TRunning(const std::string& exe, const std::string& arguments, const std::string& folder = "",
             bool inheritHandles = false);
    ~TRunning();
    TRunning(const TRunning&) = delete;
    TRunning& operator=(const TRunning&) = delete;

    bool Started() const { return FInfo.hProcess != nullptr; }
    DWORD Id() const { return FInfo.dwProcessId; }
    HANDLE Process() const { return FInfo.hProcess; }
    HWND Window(const std::string& caption, int ms = 30000) const;
    // True when the program has ended within ms.
    bool Ended(int ms = 20000) const;

private:
    PROCESS_INFORMATION FInfo{};
};

// A window's client area as the window prints it, in a top-down 32-bit
// bitmap selected into its own memory device context.
class TPicture {
public:
    explicit TPicture(HWND wnd);
    ~TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    COLORREF At(int x, int y) const;
    // Pixels of the colour, every second one each way.
    int Count(COLORREF colour) const;

private:
    int FWidth, FHeight;
    HDC FDc = nullptr;
    HBITMAP FBitmap = nullptr;
    HGDIOBJ FOld = nullptr;
    std::uint32_t* FBits = nullptr;
};
