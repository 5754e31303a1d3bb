#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/failure.h"
#include "engine/store/clip_file.h"
#include "engine/store/clip_file_system.h"

namespace wendrel {

namespace {

// The classic mapping from Windows error codes to the causes the user is told.
FileCause CauseOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_INVALID_HANDLE:
        case ERROR_NO_MORE_FILES:
        case ERROR_DISK_CHANGE:
            return FileCause::fileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_NOT_SAME_DEVICE:
        case ERROR_WRONG_DISK:
        case ERROR_DUP_NAME:
        case ERROR_BAD_NETPATH:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_BAD_NET_NAME:
        case ERROR_SHARING_PAUSED:
        case ERROR_ALREADY_ASSIGNED:
        case ERROR_BUFFER_OVERFLOW:
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_LEVEL:
        case ERROR_NO_VOLUME_LABEL:
        case ERROR_DIR_NOT_ROOT:
        case ERROR_LABEL_TOO_LONG:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_META_EXPANSION_TOO_LONG:
        case ERROR_DIRECTORY:
            return FileCause::badPath;
        case ERROR_TOO_MANY_OPEN_FILES:
        case ERROR_SHARING_BUFFER_EXCEEDED:
        case ERROR_TOO_MANY_NAMES:
        case ERROR_NO_MORE_SEARCH_HANDLES:
            return FileCause::tooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_INVALID_ACCESS:
        case ERROR_WRITE_PROTECT:
        case ERROR_WRITE_FAULT:
        case ERROR_NETWORK_BUSY:
        case ERROR_BAD_NET_RESP:
        case ERROR_NETNAME_DELETED:
        case ERROR_NETWORK_ACCESS_DENIED:
        case ERROR_REQ_NOT_ACCEP:
        case ERROR_FILE_EXISTS:
        case ERROR_CANNOT_MAKE:
        case ERROR_INVALID_PASSWORD:
        case ERROR_BUSY:
        case ERROR_ALREADY_EXISTS:
        case ERROR_SWAPERROR:
            return FileCause::accessDenied;
        case ERROR_BAD_FORMAT:
        case ERROR_NOT_DOS_DISK:
        case ERROR_BAD_REM_ADAP:
        case ERROR_BAD_DEV_TYPE:
        case ERROR_INVALID_TARGET_HANDLE:
        case ERROR_INVALID_ORDINAL:
        case ERROR_INVALID_EXE_SIGNATURE:
        case ERROR_BAD_EXE_FORMAT:
            return FileCause::invalidFile;
        case ERROR_CURRENT_DIRECTORY:
        case ERROR_DIR_NOT_EMPTY:
            return FileCause::removeCurrentDir;
        case ERROR_NO_SPOOL_SPACE:
            return FileCause::directoryFull;
        case ERROR_BAD_LENGTH:
        case ERROR_SEEK:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_READ_FAULT:
        case ERROR_NEGATIVE_SEEK:
        case ERROR_SEEK_ON_DEVICE:
            return FileCause::badSeek;
        case ERROR_BAD_UNIT:
        case ERROR_NOT_READY:
        case ERROR_BAD_COMMAND:
        case ERROR_CRC:
        case ERROR_ADAP_HDW_ERR:
        case ERROR_UNEXP_NET_ERR:
        case ERROR_NET_WRITE_FAULT:
        case ERROR_INVALID_CATEGORY:
        case ERROR_OPERATION_ABORTED:
        case ERROR_IO_INCOMPLETE:
        case ERROR_IO_PENDING:
            return FileCause::hardIO;
        case ERROR_SHARING_VIOLATION:
            return FileCause::sharingViolation;
        case ERROR_LOCK_VIOLATION:
        case ERROR_DRIVE_LOCKED:
        case ERROR_LOCK_FAILED:
            return FileCause::lockViolation;
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_DISK_FULL:
            return FileCause::diskFull;
        case ERROR_HANDLE_EOF:
            return FileCause::endOfFile;
        default:
            return FileCause::generic;
    }
}

[[noreturn]] void Fail(const PageText& shownPath, DWORD error = GetLastError()) {
    throw FileFailure(CauseOf(error), shownPath);
}

// Closes the handle it was given on every path.
class OpenFile {
  public:
    explicit OpenFile(HANDLE handle) : m_handle(handle) {}
    ~OpenFile() { CloseHandle(m_handle); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    HANDLE Handle() const { return m_handle; }

  private:
    HANDLE m_handle;
};

// A lock file opened without sharing, which the system deletes once its one
// handle is closed, by the run or by the system when the program ends.
class LockFile final : public FolderLock {
  public:
    explicit LockFile(HANDLE handle) : m_handle(handle) {}
    ~LockFile() override { CloseHandle(m_handle); }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

  private:
    HANDLE m_handle;
};

}  // namespace

std::optional<PageText> SystemClipDisk::ReadExisting(const PageText& path) {
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return std::nullopt;
        }
        Fail(path, error);
    }
    const OpenFile file(handle);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Handle(), &size)) {
        Fail(path);
    }
    PageText bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.Handle(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size())) {
        Fail(path, read != bytes.size() ? ERROR_HANDLE_EOF : GetLastError());
    }
    return bytes;
}

char SystemClipDisk::PathSeparator() const {
    return '\\';
}

bool SystemClipDisk::IsFolder(const PageText& folder) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::unique_ptr<FolderLock> SystemClipDisk::TryLockFolder(const PageText& folder) {
    const PageText path = folder + kLockFileName;
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A lock file being deleted refuses to open as well.
        if (error == ERROR_SHARING_VIOLATION ||
            (error == ERROR_ACCESS_DENIED &&
             GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)) {
            return nullptr;
        }
        Fail(path, error);
    }
    return std::make_unique<LockFile>(handle);
}

namespace clip_file_system {

namespace {

HANDLE HandleOf(std::intptr_t file) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the handle was kept as a number
    return reinterpret_cast<HANDLE>(file);
}

}  // namespace

NewFile::~NewFile() {
    Close();
}

void NewFile::Close() {
    if (m_file != -1) {
        CloseHandle(HandleOf(m_file));
        m_file = -1;
    }
}

bool NewFile::Create(const std::string& path, const PageText& shownPath) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS) {
            return false;
        }
        Fail(shownPath, error);
    }
    m_file = reinterpret_cast<std::intptr_t>(file);
    return true;
}

// One write; fewer bytes written than asked is a full disk.
void NewFile::WriteAndClose(std::string_view bytes, const PageText& shownPath) {
    const HANDLE file = HandleOf(m_file);
    if (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
            Fail(shownPath);
        }
        if (written != bytes.size()) {
            Fail(shownPath, ERROR_DISK_FULL);
        }
    }
    if (!FlushFileBuffers(file)) {
        Fail(shownPath);
    }
    m_file = -1;
    if (!CloseHandle(file)) {
        Fail(shownPath);
    }
}

// Opening the clip file for writing without sharing fails the way creating it
// would (a missing folder, a folder in its place, another program holding
// it), and does so before an earlier clip is touched: MoveFileExA would say
// only "access denied" of a file another program holds. No file is made.
void CheckReplaceable(const PageText& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            Fail(path, error);
        }
        return;
    }
    CloseHandle(file);
}

void Replace(const std::string& from, const PageText& to) {
    if (!MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Fail(to);
    }
}

void Remove(const std::string& path) {
    DeleteFileA(path.c_str());
}

std::vector<std::string> NamesIn(const PageText& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.emplace_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

}  // namespace clip_file_system

}  // namespace wendrel
