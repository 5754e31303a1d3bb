#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli/settings.h"
#include "engine/settings_file.h"

namespace wendrel::cli {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "wendrel-ini-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Put(const std::string& text) const {
        std::string path = (folder / "Wendrel.ini").string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    fs::path folder;
};

TEST_F(SettingsTest, ReadsAValueAsWindowsDoes) {
    const std::pair<const char*, const char*> cases[] = {
        // As Windows writes it, with a Korean folder (기사) in code page 949.
        {"[Dest]\r\nSaveFolderName=C:\\\xB1\xE2\xBB\xE7\r\n", "C:\\\xB1\xE2\xBB\xE7"},
        // As a hand on Linux writes it.
        {"\xEF\xBB\xBF[dest]\nsavefoldername = /srv/clips \n", "/srv/clips"},
        {"[Dest]\nSaveFolderName=\"/srv/my clips\"\n", "/srv/my clips"},
        {"[Fetch]\nSaveFolderName=/elsewhere\n[Dest]\nSaveFolderName=/here\n", "/here"},
        {"[Dest]\nSaveFolderName=/first\nSaveFolderName=/second\n", "/first"},
        {"[Dest]\nSaveFolder=/near\n", ""},
        {"SaveFolderName=/before/any/section\n", ""},
        {"", ""},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(ReadSetting(Put(text), "Dest", "SaveFolderName"), value) << text;
    }
    EXPECT_EQ(ReadSetting((folder / "missing.ini").string(), "Dest", "SaveFolderName"), "");
    EXPECT_EQ(ReadSetting(Put("[Dest]\nSaveFolderName=" + std::string(300, 'd')), "Dest",
                          "SaveFolderName"),
              std::string(kMaxSettingBytes - 1, 'd'));
}

TEST_F(SettingsTest, FolderFallsBackToTheCurrentOne) {
    EXPECT_EQ(DefaultFolder(Put("[Dest]\nSaveFolderName=/srv/clips\n")), "/srv/clips");
    EXPECT_EQ(DefaultFolder(Put("[Dest]\nSaveFolderName=\n")), fs::current_path().string());
}

TEST_F(SettingsTest, ConnectionsAreClampedAndDefaultWhenNoNumber) {
    const std::pair<const char*, int> cases[] = {
        {"2", 2},
        {" 6 ", 6},
        {"0", 1},
        {"-3", 1},
        {"9", 8},
        {"99999999999999999999", 8},
        {"-99999999999999999999", 1},
        {"", 4},
        {"two", 4},
        {"3 pages", 4},
        {"3.5", 4},
    };
    for (const auto& [value, connections] : cases) {
        const std::string path = Put(std::string("[Fetch]\nConnections=") + value + "\n");
        EXPECT_EQ(DefaultConnections(path), connections) << value;
    }
}

}  // namespace
}  // namespace wendrel::cli
