// The clip run's only access to the disk.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "engine/text/text.h"

namespace wendrel {

// A path must end, with its NUL, within this many bytes for Windows to take it.
constexpr int kMaxPathBytes = 260;

// Throws FileFailure (badPath) naming path when it does not end within
// kMaxPathBytes: the same on every platform, so that a folder that works for
// wendrel-clip on Linux works for the dialog too.
void CheckPathLength(const PageText& path);

// The file in a save folder whose lock the runs on that folder take turns
// by. It is there only while a run holds it, and hidden.
constexpr char kLockFileName[] = ".wendrel-lock";

// A folder's lock, held until it is destroyed. The system lets go of it when
// the program ends in any way, so a run that died holds no folder.
class FolderLock {
  public:
    virtual ~FolderLock() = default;
};

// The save folder as a run sees it: what it reads and writes there, the check
// that it can, and the lock that runs take turns by.
class ClipDisk {
  public:
    virtual ~ClipDisk() = default;

    // What this writer's paths put between a folder and a name: "\\" on
    // Windows, "/" on POSIX systems, where "\\" may be part of a name.
    virtual char PathSeparator() const = 0;

    // Whether folder, written with PathSeparator(), names an existing folder.
    virtual bool IsFolder(const PageText& folder) = 0;

    // Creates a file of its own beside path and removes it at once, so that a
    // folder which cannot be written fails before a run fetches anything.
    // Throws the FileFailure naming path that Write would throw.
    virtual void TryFolder(const PageText& path) = 0;

    // Puts bytes at path (PathSeparator() between its parts) as a whole: an
    // earlier file there is replaced only once every byte is on disk, and stays
    // as it was when anything fails. Throws FileFailure naming path, badPath
    // before the system is asked when path is too long for CheckPathLength.
    virtual void Write(const PageText& path, std::string_view bytes) = 0;

    // The bytes of the file at path, or nothing when no file is there, also
    // when its folder is missing. Throws FileFailure naming path when a file is there but
    // cannot be read, so that it is never taken for missing and written over.
    virtual std::optional<PageText> ReadExisting(const PageText& path) = 0;

    // Removes from folder (written with PathSeparator() at its end) the
    // temporary files of Write and TryFolder that a run which died left there,
    // and nothing else: names exactly ".wendrel-save-" or ".wendrel-check-",
    // six ASCII letters or digits, ".tmp". Only the holder of folder's lock may call it: any
    // other run's temporary file may be in use. Failures are left unsaid; the
    // next run tries again.
    virtual void RemoveLeftovers(const PageText& folder) = 0;

    // The lock of folder (written with PathSeparator() at its end), or
    // nullptr while another run holds it. Throws FileFailure naming the lock
    // file when it cannot be made at all.
    virtual std::unique_ptr<FolderLock> TryLockFolder(const PageText& folder) = 0;
};

// Writes through the operating system: the steps are the same everywhere
// (clip_file.cpp), the system calls beneath them one implementation per
// platform (clip_file_system.h).
class SystemClipDisk final : public ClipDisk {
  public:
    char PathSeparator() const override;
    bool IsFolder(const PageText& folder) override;
    void TryFolder(const PageText& path) override;
    void Write(const PageText& path, std::string_view bytes) override;
    std::optional<PageText> ReadExisting(const PageText& path) override;
    std::unique_ptr<FolderLock> TryLockFolder(const PageText& folder) override;
    void RemoveLeftovers(const PageText& folder) override;
};

}  // namespace wendrel
