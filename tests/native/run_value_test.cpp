#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_os.h"
#include "shell/run_value.h"

namespace {

const std::string kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The stored bytes of the Run value, or "<missing>".
std::string RunValue(FakeOs& os) {
    auto& values = os.registry[kRunKey];
    auto found = values.find("Blinkwatch");
    return found == values.end() ? "<missing>" : found->second;
}

// The command as stored: the length counts the terminating zero.
std::string Stored(const std::string& path) { return "\"" + path + "\" /STARTUP" + std::string(1, '\0'); }

}  // namespace

TEST(RunValue, WrittenOverwrittenAfterAMoveAndDeleted) {
    FakeOs os;
    os.registry[kRunKey]["Other"] = "other.exe";
    EXPECT_EQ(1, UpdateRunValue(os, 1));
    EXPECT_EQ(Stored("C:\\Program Files\\Blinkwatch\\blinkwatch.exe"), RunValue(os));
    EXPECT_EQ((std::vector<std::string>{"open|" + kRunKey, "module", "set|Blinkwatch", "close"}),
              os.registryLog);

    // A path with blanks, and the longest the platform reports (259 characters).
    for (const std::string& path : {std::string("D:\\My Tools\\Blink watch\\blinkwatch.exe"),
                                    "C:\\" + std::string(252, 'p') + ".exe"}) {
        os.modulePath = path;
        EXPECT_EQ(1, UpdateRunValue(os, 1));
        EXPECT_EQ(Stored(path), RunValue(os));
    }
    EXPECT_EQ(2u, os.registry[kRunKey].size()) << "one value, overwritten";

    // Unticking deletes only our value, without asking the path; a second time is no error.
    for (int time = 1; time <= 2; ++time) {
        os.registryLog.clear();
        EXPECT_EQ(1, UpdateRunValue(os, 0));
        EXPECT_EQ("<missing>", RunValue(os));
        EXPECT_EQ((std::vector<std::string>{"open|" + kRunKey, "delete|Blinkwatch", "close"}),
                  os.registryLog) << time;
    }
    EXPECT_EQ(1u, os.registry[kRunKey].count("Other"));
    EXPECT_EQ(0, os.openKeys);
}

TEST(RunValue, FailuresLeaveTheRegistryAsItWas) {
    // A key that cannot be opened: 1, and nothing else is asked.
    for (int enable : {1, 0}) {
        FakeOs os;
        os.registryOpenFails = true;
        EXPECT_EQ(1, UpdateRunValue(os, enable)) << "enable " << enable;
        EXPECT_EQ(std::vector<std::string>{"open|" + kRunKey}, os.registryLog) << "enable " << enable;
    }

    // No executable path, or one too long to be read whole: 0, nothing written, the key closed.
    for (std::string path : {std::string(), "C:\\" + std::string(253, 'p') + ".exe"}) {
        FakeOs os;
        os.modulePath = path;
        os.registry[kRunKey]["Blinkwatch"] = Stored("C:\\old.exe");
        EXPECT_EQ(0, UpdateRunValue(os, 1)) << path.size();
        EXPECT_EQ(Stored("C:\\old.exe"), RunValue(os));
        EXPECT_EQ(0, os.calls["WriteRegistryString"]);
        EXPECT_EQ(0, os.openKeys);
    }

    // A refused write or delete is not reported.
    FakeOs refused;
    refused.registryWritesFail = true;
    EXPECT_EQ(1, UpdateRunValue(refused, 1));
    EXPECT_EQ(1, UpdateRunValue(refused, 0));
    EXPECT_EQ(0, refused.openKeys);
}
