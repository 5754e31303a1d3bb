// The clip run's only access to the disk.
#pragma once

#include <optional>
#include <string_view>

#include "engine/text/text.h"

namespace wendrel {

// A path must end, with its NUL, within this many bytes for Windows to take it.
constexpr int kMaxPathBytes = 260;

class ClipFileWriter {
  public:
    virtual ~ClipFileWriter() = default;

    // What this writer's paths put between a folder and a name: "\\" on
    // Windows, "/" on POSIX systems, where "\\" may be part of a name.
    virtual char PathSeparator() const = 0;

    // Whether folder, written with PathSeparator(), names an existing folder.
    virtual bool IsFolder(const PageText& folder) = 0;

    // Whether a Write to path would replace what is there now: anything by
    // that name exists, and this writer does not keep its bytes.
    virtual bool WouldReplace(const PageText& path) = 0;

    // Creates and removes the temporary file that Write would make for path,
    // so that a folder which cannot be written fails before a run fetches
    // anything. Throws the FileFailure naming path that Write would throw.
    virtual void TryFolder(const PageText& path) = 0;

    // Puts bytes at path (PathSeparator() between its parts) as a whole: an
    // earlier file there is replaced only once every byte is on disk, and stays
    // as it was when anything fails. Throws FileFailure naming path.
    virtual void Write(const PageText& path, std::string_view bytes) = 0;

    // The bytes of the file at path, or nothing when no file is there. Throws
    // FileFailure naming path when a file is there but cannot be read, so that
    // it is never taken for missing and written over.
    virtual std::optional<PageText> ReadExisting(const PageText& path) = 0;
};

// Writes through the operating system; one implementation per platform.
class SystemClipFileWriter final : public ClipFileWriter {
  public:
    char PathSeparator() const override;
    bool IsFolder(const PageText& folder) override;
    bool WouldReplace(const PageText& path) override;
    void TryFolder(const PageText& path) override;
    void Write(const PageText& path, std::string_view bytes) override;
    std::optional<PageText> ReadExisting(const PageText& path) override;
};

}  // namespace wendrel
