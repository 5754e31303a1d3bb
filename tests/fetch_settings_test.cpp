#include "shell/fetch_settings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

namespace {

TEST(FetchSettingsTest, ConnectionsAreReadAtEachLoadAndHeldToOneToEight) {
    char temp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    const std::string settings =
        std::string(temp) + "wendrel_fetch_" + std::to_string(::GetCurrentProcessId()) + ".ini";
    const struct {
        const char* file;
        int connections;
    } cases[] = {
        {nullptr, 4},
        {"[Dest]\r\nSaveFolderName=C:\\x\r\n", 4},
        {"[Fetch]\r\nConnections=6\r\n", 6},
        {"[Fetch]\r\nConnections= 2 \r\n", 2},
        {"[Fetch]\r\nConnections=1\r\n", 1},
        {"[Fetch]\r\nConnections=8\r\n", 8},
        {"[Fetch]\r\nConnections=0\r\n", 1},
        {"[Fetch]\r\nConnections=-3\r\n", 1},
        {"[Fetch]\r\nConnections=12\r\n", 8},
        {"[Fetch]\r\nConnections=99999999999999999999\r\n", 8},
        {"[Fetch]\r\nConnections=\r\n", 4},
        {"[Fetch]\r\nConnections=four\r\n", 4},
        {"[Fetch]\r\nConnections=3x\r\n", 4},
        {"[Fetch]\r\nConnections=2.5\r\n", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file == nullptr ? "no file" : c.file);
        ::DeleteFileA(settings.c_str());
        if (c.file != nullptr) {
            std::ofstream(settings, std::ios::binary) << c.file;
        }
        EXPECT_EQ(LoadConnections(settings), c.connections);
    }
    ::DeleteFileA(settings.c_str());
}

}  // namespace
