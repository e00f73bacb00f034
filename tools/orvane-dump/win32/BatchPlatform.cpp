// Windows names are UTF-16, so their UTF-8 form is always valid and a row
// writes it as it is. Reparse points (junctions, symbolic links, mount
// points) are never entered.
#include "BatchPlatform.h"

#include <fcntl.h>
#include <io.h>
#include <vector>
#include <windows.h>

#include "io/SysErr.h"
#include "io/win32/WidePath.h"

namespace {

bool IsDots(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

class TFolderLevels final : public IFolderLevels {
public:
    bool Enter(std::string path) override
    {
        if (!path.empty() && path.back() != '\\' && path.back() != '/')
            path += '\\';
        TLevel level{INVALID_HANDLE_VALUE, std::move(path), {}, true};
        level.Find =
            ::FindFirstFileExW(SystemPath(level.Path + "*").c_str(), FindExInfoBasic, &level.Entry,
                               FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (level.Find == INVALID_HANDLE_VALUE)
            return false;
        Levels.push_back(std::move(level));
        return true;
    }
    bool Empty() const override { return Levels.empty(); }
    bool NextEntry(std::string& path, TEntryKind& kind) override
    {
        TLevel& level = Levels.back();
        do {
            if (!level.Fresh && !::FindNextFileW(level.Find, &level.Entry))
                return false;
            level.Fresh = false;
        } while (IsDots(level.Entry.cFileName));
        path = level.Path + Utf8Text(level.Entry.cFileName);
        const DWORD attributes = level.Entry.dwFileAttributes;
        kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? TEntryKind::Other
               : (attributes & FILE_ATTRIBUTE_DIRECTORY)   ? TEntryKind::Folder
                                                           : TEntryKind::File;
        return true;
    }
    void Leave() override
    {
        ::FindClose(Levels.back().Find);
        Levels.pop_back();
    }

private:
    struct TLevel {
        HANDLE Find;
        std::string Path;        // with a trailing separator
        WIN32_FIND_DATAW Entry;  // the entry at hand
        bool Fresh;              // Entry came with the handle and is not taken yet
    };
    std::vector<TLevel> Levels;
};

}  // namespace

std::unique_ptr<IFolderLevels> MakeFolderLevels()
{
    return std::make_unique<TFolderLevels>();
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadListedPath(std::istream& in, std::string& path)
{
    static const bool binary = [] {
        ::_setmode(::_fileno(stdin), _O_BINARY);
        return true;
    }();
    (void)binary;
    if (!std::getline(in, path))
        return false;
    if (!path.empty() && path.back() == '\r')
        path.pop_back();
    return true;
}

struct TRowOutput::TState {
    HANDLE File = ::GetStdHandle(STD_OUTPUT_HANDLE);
    bool Owned = false;
};

TRowOutput::TRowOutput() : State(std::make_unique<TState>()) {}

TRowOutput::~TRowOutput()
{
    if (State->Owned)
        ::CloseHandle(State->File);
}

bool TRowOutput::OpenFile(const std::string& path, bool keep, std::string& error)
{
    const HANDLE file =
        ::CreateFileW(SystemPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                      keep ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot open " + path + ": " + SysErrorText(::GetLastError());
        return false;
    }
    State->File = file;
    State->Owned = true;
    return true;
}

bool TRowOutput::WriteWhole(const char* data, std::size_t size)
{
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(size > 0x40000000 ? 0x40000000 : size);
        if (!::WriteFile(State->File, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool StandardErrorIsTerminal()
{
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

std::string RowPath(const std::string& path)
{
    return path;
}

std::filesystem::path LibraryPath(const std::string& path)
{
    return std::filesystem::path(WideText(path));
}
