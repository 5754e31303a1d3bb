#include "engine/store/clip_file.h"

#include <random>
#include <string>

#include "engine/failure.h"
#include "engine/store/clip_file_system.h"

namespace wendrel {

namespace {

using clip_file_system::NewFile;

constexpr std::string_view kSavePrefix = ".wendrel-save-";
constexpr std::string_view kCheckPrefix = ".wendrel-check-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::string_view kNameLetters =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr std::size_t kRandomLetters = 6;
// Names taken by other runs' files, one after another, before the folder is
// taken to refuse new files.
constexpr int kNamesTried = 100;

std::string RandomLetters() {
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kNameLetters.size() - 1);
    std::string letters(kRandomLetters, ' ');
    for (char& letter : letters) {
        letter = kNameLetters[pick(random)];
    }
    return letters;
}

bool IsTemporaryName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + kRandomLetters + kTemporarySuffix.size() ||
        name.substr(0, prefix.size()) != prefix ||
        name.substr(name.size() - kTemporarySuffix.size()) != kTemporarySuffix) {
        return false;
    }
    return name.substr(prefix.size(), kRandomLetters).find_first_not_of(kNameLetters) ==
           std::string_view::npos;
}

// A file of a name of its own beside the clip file, which takes the bytes
// first and is removed unless it has been put in the clip file's place.
class TemporaryFile {
  public:
    TemporaryFile(const PageText& clipPath, char separator, std::string_view prefix)
        : m_clipPath(clipPath) {
        const auto end = clipPath.rfind(separator);
        const std::string folder = clipPath.substr(0, end == PageText::npos ? 0 : end + 1);
        for (int tried = 0; tried < kNamesTried; ++tried) {
            m_path = folder + std::string(prefix) + RandomLetters() + std::string(kTemporarySuffix);
            if (m_file.Create(m_path, clipPath)) {
                return;
            }
        }
        throw FileFailure(FileCause::accessDenied, clipPath);
    }
    ~TemporaryFile() {
        // Windows removes no file that is open.
        m_file.Close();
        if (!m_placed) {
            clip_file_system::Remove(m_path);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void PutInPlace(std::string_view bytes) {
        m_file.WriteAndClose(bytes, m_clipPath);
        clip_file_system::Replace(m_path, m_clipPath);
        m_placed = true;
    }

  private:
    PageText m_clipPath;
    std::string m_path;
    NewFile m_file;
    bool m_placed = false;
};

}  // namespace

void CheckPathLength(const PageText& path) {
    if (Length(path) >= kMaxPathBytes) {
        throw FileFailure(FileCause::badPath, path);
    }
}

void SystemClipDisk::TryFolder(const PageText& path) {
    const TemporaryFile check(path, PathSeparator(), kCheckPrefix);
}

void SystemClipDisk::Write(const PageText& path, std::string_view bytes) {
    CheckPathLength(path);
    clip_file_system::CheckReplaceable(path);
    TemporaryFile temporary(path, PathSeparator(), kSavePrefix);
    temporary.PutInPlace(bytes);
}

void SystemClipDisk::RemoveLeftovers(const PageText& folder) {
    for (const std::string& name : clip_file_system::NamesIn(folder)) {
        if (IsTemporaryName(name, kSavePrefix) || IsTemporaryName(name, kCheckPrefix)) {
            clip_file_system::Remove(folder + name);
        }
    }
}

}  // namespace wendrel
