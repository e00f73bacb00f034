// What a batch check needs of the system: walking folders, writing rows
// whole, and how a file's name appears in a row. One implementation per
// platform (posix/, win32/).
#pragma once

#include <cstddef>
#include <filesystem>
#include <istream>
#include <memory>
#include <string>

// The open folders of a walk, innermost last; each platform has its own.
class IFolderLevels {
public:
    enum class TEntryKind { File, Folder, Other };

    virtual ~IFolderLevels() = default;
    // Opens a folder as the new innermost level; false when it cannot.
    virtual bool Enter(std::string path) = 0;
    virtual bool Empty() const = 0;
    // The next entry of the innermost folder (its path: the folder's joined
    // with its name); false at its end.
    virtual bool NextEntry(std::string& path, TEntryKind& kind) = 0;
    // Closes the innermost folder.
    virtual void Leave() = 0;
};
std::unique_ptr<IFolderLevels> MakeFolderLevels();

// The files below a folder, one at a time, in no particular order: only
// the open folders of the current branch are held, so a folder of any size
// costs the same memory. Links (symbolic links, and junctions and other
// reparse points on Windows) met on the way are not followed, to files or
// folders alike, so the walk never leaves the tree nor loops. Other special
// files (pipes, sockets, devices) are passed over, since opening them can
// block. A folder that cannot be listed is handed out as a path of its own,
// and its check then tells why.
class TFolderWalk {
public:
    explicit TFolderWalk(const std::string& root);
    ~TFolderWalk();
    TFolderWalk(const TFolderWalk&) = delete;
    TFolderWalk& operator=(const TFolderWalk&) = delete;

    // The next file's path; false when the walk is over.
    bool Next(std::string& path);

private:
    std::unique_ptr<IFolderLevels> Levels;
    std::string Unlisted;  // a folder that could not be opened, handed out next
};

// Whether the path names a folder (following links: the user named it).
bool IsFolder(const std::string& path);

// The next path of a list on standard input, one a line; false at its end.
bool ReadListedPath(std::istream& in, std::string& path);

// The rows' destination: standard output, or a file appended to. Each
// WriteWhole is one system call, so rows of several threads never mix and
// a killed run leaves at most its last row cut.
class TRowOutput {
public:
    TRowOutput();  // standard output
    ~TRowOutput();
    TRowOutput(const TRowOutput&) = delete;
    TRowOutput& operator=(const TRowOutput&) = delete;

    // Opens or creates the file for appending; false with the reason.
    bool OpenFile(const std::string& path, std::string& error);
    bool WriteWhole(const char* data, std::size_t size);

private:
    struct TState;
    std::unique_ptr<TState> State;
};

bool StandardErrorIsTerminal();

// A file's path as its row writes it: always UTF-8 text.
std::string RowPath(const std::string& path);

// A UTF-8 path for the standard library's file functions.
std::filesystem::path LibraryPath(const std::string& path);
