// The clip run's only access to the disk.
#pragma once

#include <string_view>

#include "engine/text.h"

namespace wendrel {

// A path must end, with its NUL, within this many bytes for Windows to take it.
constexpr int kMaxPathBytes = 260;

class ClipFileWriter {
  public:
    virtual ~ClipFileWriter() = default;

    // Whether folder, written with "\" separators, names an existing folder.
    virtual bool IsFolder(const PageText& folder) = 0;

    // Puts bytes at path ("\" separators) as a whole: an earlier file there is
    // replaced only once every byte is on disk, and stays as it was when
    // anything fails. Throws FileFailure naming path.
    virtual void Write(const PageText& path, std::string_view bytes) = 0;
};

// Writes through the operating system; one implementation per platform.
class SystemClipFileWriter final : public ClipFileWriter {
  public:
    bool IsFolder(const PageText& folder) override;
    void Write(const PageText& path, std::string_view bytes) override;
};

}  // namespace wendrel
