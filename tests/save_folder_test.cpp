#include "shell/save_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "engine/settings_file.h"

namespace {

// 한글 폴더
constexpr char kKoreanFolder[] = "D:\\\xC7\xD1\xB1\xDB \xC6\xFA\xB4\xF5";

class SaveFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = "";
        ::GetTempPathA(MAX_PATH, temp);
        m_settings = std::string(temp) + "wendrel_settings_" +
                     std::to_string(::GetCurrentProcessId()) + ".ini";
        ::DeleteFileA(m_settings.c_str());
        wendrel::GetModuleFolder(m_moduleFolder);
    }
    void TearDown() override { ::DeleteFileA(m_settings.c_str()); }

    void WriteSettings(const std::string& text) {
        std::ofstream(m_settings, std::ios::binary) << text;
    }

    std::string m_settings;
    std::string m_moduleFolder;
};

TEST_F(SaveFolderTest, ModuleFolderIsTheExecutablesFolderWithItsBackslash) {
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string executable = path;

    EXPECT_EQ(m_moduleFolder, executable.substr(0, executable.rfind('\\') + 1));
    EXPECT_EQ(wendrel::SettingsFilePath(), m_moduleFolder + "Wendrel.ini");
}

TEST_F(SaveFolderTest, WithoutAFileTheExecutablesFolderIsUsedAndNoFileIsMade) {
    EXPECT_EQ(LoadSaveFolder(m_settings), m_moduleFolder);
    EXPECT_EQ(::GetFileAttributesA(m_settings.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SaveFolderTest, StoredValuesAreShownAsStoredAndEmptyOnesFallBack) {
    const std::string longValue(300, 'x');
    const struct {
        const char* name;
        std::string file;
        std::string shown;
    } cases[] = {
        {"Korean path", std::string("[Dest]\r\nSaveFolderName=") + kKoreanFolder + "\r\n",
         kKoreanFolder},
        {"missing folder", "[Dest]\r\nSaveFolderName=Q:\\gone\r\n", "Q:\\gone"},
        {"drive root", "[Dest]\r\nSaveFolderName=D:\\\r\n", "D:\\"},
        {"empty value", "[Dest]\r\nSaveFolderName=\r\n", m_moduleFolder},
        {"other section", "[Other]\r\nSaveFolderName=D:\\x\r\n", m_moduleFolder},
        {"cut at 259 bytes", "[Dest]\r\nSaveFolderName=" + longValue + "\r\n",
         longValue.substr(0, 259)},
    };
    for (const auto& c : cases) {
        WriteSettings(c.file);
        EXPECT_EQ(LoadSaveFolder(m_settings), c.shown) << c.name;
    }
}

TEST_F(SaveFolderTest, AStoredFolderComesBackAtTheNextLoad) {
    StoreSaveFolder(m_settings, kKoreanFolder);
    EXPECT_EQ(LoadSaveFolder(m_settings), kKoreanFolder);

    StoreSaveFolder(m_settings, "C:\\Clips");
    EXPECT_EQ(LoadSaveFolder(m_settings), "C:\\Clips");
}

}  // namespace
