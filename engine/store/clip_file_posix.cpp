#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "engine/failure.h"
#include "engine/store/clip_file.h"

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

// A file beside the clip file that takes the bytes first and is deleted
// unless it has been renamed into place.
class TemporaryFile {
  public:
    explicit TemporaryFile(PageText clipPath) : m_clipPath(std::move(clipPath)) {
        const auto slash = m_clipPath.rfind('/');
        m_path =
            m_clipPath.substr(0, slash == std::string::npos ? 0 : slash + 1) + ".wendrel-XXXXXX";
        m_fd = mkstemp(m_path.data());
        if (m_fd == -1) {
            Fail();
        }
        fchmod(m_fd, 0644);
    }
    ~TemporaryFile() {
        if (m_fd != -1) {
            close(m_fd);
        }
        if (!m_renamed) {
            unlink(m_path.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void WriteAll(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t written = write(m_fd, bytes.data(), bytes.size());
            if (written <= 0) {
                Fail(written == 0 ? ENOSPC : errno);
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        const int fd = m_fd;
        m_fd = -1;
        if (fsync(fd) != 0) {
            const int error = errno;
            close(fd);
            Fail(error);
        }
        if (close(fd) != 0) {
            Fail();
        }
    }

    void RenameTo(const std::string& target) {
        if (rename(m_path.c_str(), target.c_str()) != 0) {
            Fail();
        }
        m_renamed = true;
    }

  private:
    [[noreturn]] void Fail(int error = errno) const {
        throw FileFailure(CauseOf(error), m_clipPath);
    }

    std::string m_path;
    PageText m_clipPath;
    int m_fd = -1;
    bool m_renamed = false;
};

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

std::optional<PageText> SystemClipFileWriter::ReadExisting(const PageText& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd == -1) {
        if (errno == ENOENT) {
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

char SystemClipFileWriter::PathSeparator() const {
    return '/';
}

bool SystemClipFileWriter::IsFolder(const PageText& folder) {
    struct stat status {};
    return stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::unique_ptr<FolderLock> SystemClipFileWriter::TryLockFolder(const PageText& folder) {
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

void SystemClipFileWriter::TryFolder(const PageText& path) {
    const TemporaryFile temporary(path);
}

void SystemClipFileWriter::Write(const PageText& path, std::string_view bytes) {
    TemporaryFile temporary(path);
    temporary.WriteAll(bytes);
    temporary.RenameTo(path);
}

}  // namespace wendrel
