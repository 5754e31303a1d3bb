// The system calls beneath SystemClipDisk, where the platforms differ:
// clip_file_posix.cpp and clip_file_win.cpp each implement them, clip_file.cpp
// builds the steps of writing a clip on them. A failure is thrown as the
// FileFailure its system error maps to, naming shownPath: the path the user
// knows, never that of a temporary file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/text/text.h"

namespace wendrel::clip_file_system {

// A new file open for writing, closed, when it still is, on destruction.
class NewFile {
  public:
    NewFile() = default;
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Creates the file at path, where nothing may be yet: false when something
    // is.
    bool Create(const std::string& path, const PageText& shownPath);

    // Writes every byte, puts them on the disk and closes the file.
    void WriteAndClose(std::string_view bytes, const PageText& shownPath);

    // Closes the file, when it is open, whatever it holds.
    void Close();

  private:
    // A descriptor or a handle; -1 is both systems' closed one.
    std::intptr_t m_file = -1;
};

// Fails as writing to path would, where the system would only tell it later
// in other words. Creates nothing.
void CheckReplaceable(const PageText& path);

// Puts the file at from in to's place, replacing what is there.
void Replace(const std::string& from, const PageText& to);

// Removes the file at path, when it can.
void Remove(const std::string& path);

// The names of the entries of folder (ending with its separator); none when
// it cannot be read.
std::vector<std::string> NamesIn(const PageText& folder);

}  // namespace wendrel::clip_file_system
