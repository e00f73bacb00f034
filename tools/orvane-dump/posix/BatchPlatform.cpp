// POSIX names are bytes: a name that is not UTF-8 is escaped in its row.
#include "BatchPlatform.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "inspect/PathEscape.h"

namespace {

bool IsDots(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// The entry's type without a stat, where the file system tells it.
IFolderLevels::TEntryKind EntryKind(const std::string& path, const dirent& entry)
{
    using TKind = IFolderLevels::TEntryKind;
    if (entry.d_type == DT_DIR)
        return TKind::Folder;
    if (entry.d_type != DT_UNKNOWN)
        return entry.d_type == DT_REG ? TKind::File : TKind::Other;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return TKind::File;  // let the check say why it cannot be read
    if (S_ISDIR(st.st_mode))
        return TKind::Folder;
    return S_ISREG(st.st_mode) ? TKind::File : TKind::Other;
}

class TFolderLevels final : public IFolderLevels {
public:
    bool Enter(std::string path) override
    {
        DIR* dir = ::opendir(path.c_str());
        if (!dir)
            return false;
        if (path.empty() || path.back() != '/')
            path += '/';
        Levels.push_back({dir, std::move(path)});
        return true;
    }
    bool Empty() const override { return Levels.empty(); }
    bool NextEntry(std::string& path, TEntryKind& kind) override
    {
        const dirent* entry = nullptr;
        do
            entry = ::readdir(Levels.back().Dir);
        while (entry && IsDots(entry->d_name));
        if (!entry)
            return false;
        path = Levels.back().Path + entry->d_name;
        kind = EntryKind(path, *entry);
        return true;
    }
    void Leave() override
    {
        ::closedir(Levels.back().Dir);
        Levels.pop_back();
    }

private:
    struct TLevel {
        DIR* Dir;
        std::string Path;  // with a trailing slash
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
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ReadListedPath(std::istream& in, std::string& path)
{
    return static_cast<bool>(std::getline(in, path));
}

struct TRowOutput::TState {
    int Fd = STDOUT_FILENO;
    bool Owned = false;
};

TRowOutput::TRowOutput() : State(std::make_unique<TState>()) {}

TRowOutput::~TRowOutput()
{
    if (State->Owned)
        ::close(State->Fd);
}

bool TRowOutput::OpenFile(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    State->Fd = fd;
    State->Owned = true;
    return true;
}

bool TRowOutput::WriteWhole(const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(State->Fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) != 0;
}

std::string RowPath(const std::string& path)
{
    return EscapePathBytes(path);
}

std::filesystem::path LibraryPath(const std::string& path)
{
    return std::filesystem::path(path);
}
