#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/failure.h"
#include "engine/store/clip_file.h"
#include "engine/store/clip_file_system.h"

namespace wendrel {

namespace {

FileCause CauseOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return FileCause::badPath;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
        case EEXIST:
        case ETXTBSY:
            return FileCause::accessDenied;
        case EMFILE:
        case ENFILE:
            return FileCause::tooManyOpenFiles;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FileCause::diskFull;
        case EIO:
            return FileCause::hardIO;
        case EBADF:
            return FileCause::invalidFile;
        case ESPIPE:
            return FileCause::badSeek;
        case EBUSY:
            return FileCause::sharingViolation;
        default:
            return FileCause::generic;
    }
}

// Closes the descriptor it was given on every path.
class OpenFile {
  public:
    explicit OpenFile(int fd) : m_fd(fd) {}
    ~OpenFile() { close(m_fd); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int Descriptor() const { return m_fd; }

  private:
    int m_fd;
};

// A lock by flock on the lock file. The file goes before the lock does: a
// run that waited on it then finds its name gone, or naming another file,
// and tries again with the file now there.
class LockFile final : public FolderLock {
  public:
    LockFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    ~LockFile() override {
        unlink(m_path.c_str());
        close(m_fd);
    }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

  private:
    int m_fd;
    std::string m_path;
};

bool NamesTheFileOf(const std::string& path, int fd) {
    struct stat named {};
    struct stat held {};
    return stat(path.c_str(), &named) == 0 && fstat(fd, &held) == 0 &&
           named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

}  // namespace

std::optional<PageText> SystemClipDisk::ReadExisting(const PageText& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd == -1) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::nullopt;
        }
        throw FileFailure(CauseOf(errno), path);
    }
    const OpenFile file(fd);
    PageText bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t read = ::read(file.Descriptor(), buffer, sizeof buffer);
        if (read < 0) {
            throw FileFailure(CauseOf(errno), path);
        }
        if (read == 0) {
            return bytes;
        }
        bytes.append(buffer, static_cast<std::size_t>(read));
    }
}

char SystemClipDisk::PathSeparator() const {
    return '/';
}

bool SystemClipDisk::IsFolder(const PageText& folder) {
    struct stat status {};
    return stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::unique_ptr<FolderLock> SystemClipDisk::TryLockFolder(const PageText& folder) {
    const PageText path = folder + kLockFileName;
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd == -1) {
        throw FileFailure(CauseOf(errno), path);
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(fd);
        if (error == EWOULDBLOCK || error == EINTR) {
            return nullptr;
        }
        throw FileFailure(CauseOf(error), path);
    }
    if (!NamesTheFileOf(path, fd)) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<LockFile>(fd, path);
}

namespace clip_file_system {

NewFile::~NewFile() {
    Close();
}

void NewFile::Close() {
    if (m_file != -1) {
        close(static_cast<int>(m_file));
        m_file = -1;
    }
}

bool NewFile::Create(const std::string& path, const PageText& shownPath) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd == -1) {
        if (errno == EEXIST) {
            return false;
        }
        throw FileFailure(CauseOf(errno), shownPath);
    }
    // The clip is for reading by others, whatever the run's umask.
    fchmod(fd, 0644);
    m_file = fd;
    return true;
}

void NewFile::WriteAndClose(std::string_view bytes, const PageText& shownPath) {
    const int fd = static_cast<int>(m_file);
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written <= 0) {
            throw FileFailure(CauseOf(written == 0 ? ENOSPC : errno), shownPath);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    m_file = -1;
    if (fsync(fd) != 0) {
        const int error = errno;
        close(fd);
        throw FileFailure(CauseOf(error), shownPath);
    }
    if (close(fd) != 0) {
        throw FileFailure(CauseOf(errno), shownPath);
    }
}

// rename replaces a file whoever holds it open, and tells a folder in its
// place itself.
void CheckReplaceable(const PageText&) {}

void Replace(const std::string& from, const PageText& to) {
    if (rename(from.c_str(), to.c_str()) != 0) {
        throw FileFailure(CauseOf(errno), to);
    }
}

void Remove(const std::string& path) {
    unlink(path.c_str());
}

std::vector<std::string> NamesIn(const PageText& folder) {
    std::vector<std::string> names;
    DIR* const entries = opendir(folder.c_str());
    if (entries == nullptr) {
        return names;
    }
    while (const dirent* entry = readdir(entries)) {
        names.emplace_back(entry->d_name);
    }
    closedir(entries);
    return names;
}

}  // namespace clip_file_system

}  // namespace wendrel
