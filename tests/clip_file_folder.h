// A fresh folder for each test of the system's clip file writer, and what the
// tests do to the files in it behind the writer's back.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "engine/failure.h"
#include "engine/store/clip_file.h"

namespace wendrel::testing {

namespace fs = std::filesystem;

// The message of the FileFailure that doing raises, or "".
template <typename Doing>
std::string FailureText(Doing doing) {
    try {
        doing();
    } catch (const FileFailure& failure) {
        return failure.what();
    }
    return "";
}

class ClipFileFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device random;
        folder = fs::temp_directory_path() / ("wendrel-clip-file-" + std::to_string(random()));
        ASSERT_TRUE(fs::create_directory(folder));
    }
    void TearDown() override { fs::remove_all(folder); }

    // The folder as the clip run writes it for this writer, separator at its end.
    PageText Folder() const { return folder.string() + writer.PathSeparator(); }
    PageText ClipPath(const std::string& name) const { return Folder() + name; }
    fs::path File(const std::string& name) const { return folder / name; }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void Put(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static int EntriesIn(const fs::path& folder) {
        return static_cast<int>(std::distance(fs::directory_iterator(folder), {}));
    }
    int EntriesInFolder() const { return EntriesIn(folder); }

    fs::path folder;
    SystemClipDisk writer;
};

}  // namespace wendrel::testing
