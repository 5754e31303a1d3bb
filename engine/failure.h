// The failures a clip run can raise. The dialog's command guard reports them in
// a message box; what() is the message text in code page 949.
#pragma once

#include <new>
#include <stdexcept>
#include <string>

namespace wendrel {

// Why a clip file could not be created, written or replaced.
enum class FileCause {
    generic,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile,
};

class FileFailure : public std::runtime_error {
  public:
    FileFailure(FileCause cause, const std::string& path);

    FileCause Cause() const { return m_cause; }
    const std::string& Path() const { return m_path; }

  private:
    FileCause m_cause;
    std::string m_path;
};

// The message for a cause with %1 standing for path, in code page 949.
std::string FileFailureText(FileCause cause, const std::string& path);

class MemoryFailure : public std::bad_alloc {
  public:
    const char* what() const noexcept override;
};

// An argument outside what an operation accepts (status 0x80070057).
class InvalidArgumentFailure : public std::invalid_argument {
  public:
    static constexpr unsigned long kStatus = 0x80070057UL;
    InvalidArgumentFailure();
};

}  // namespace wendrel
