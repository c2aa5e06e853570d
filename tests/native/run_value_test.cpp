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

std::string Stored(const std::string& command) { return command + std::string(1, '\0'); }

}  // namespace

TEST(RunValue, TickingWritesTheQuotedPathAndOverwritesItAfterAMove) {
    FakeOs os;
    EXPECT_EQ(1, UpdateRunValue(os, 1));
    EXPECT_EQ(Stored("\"C:\\Program Files\\Blinkwatch\\blinkwatch.exe\" /STARTUP"), RunValue(os));
    std::vector<std::string> expected = {"open|" + kRunKey, "module", "set|Blinkwatch", "close"};
    EXPECT_EQ(expected, os.registryLog);
    EXPECT_EQ(0, os.openKeys);

    os.modulePath = "D:\\My Tools\\Blink watch\\blinkwatch.exe";
    EXPECT_EQ(1, UpdateRunValue(os, 1));
    EXPECT_EQ(Stored("\"D:\\My Tools\\Blink watch\\blinkwatch.exe\" /STARTUP"), RunValue(os));
    EXPECT_EQ(1u, os.registry[kRunKey].size()) << "one value, overwritten";

    // The longest path the platform reports (259 characters) is stored whole.
    os.modulePath = "C:\\" + std::string(252, 'p') + ".exe";
    ASSERT_EQ(259u, os.modulePath.size());
    EXPECT_EQ(1, UpdateRunValue(os, 1));
    EXPECT_EQ(Stored("\"" + os.modulePath + "\" /STARTUP"), RunValue(os));
    EXPECT_EQ(271u, RunValue(os).size());
}

TEST(RunValue, UntickingDeletesAndAMissingValueIsNoError) {
    FakeOs os;
    os.registry[kRunKey]["Blinkwatch"] = Stored("\"E:\\elsewhere\\blinkwatch.exe\" /STARTUP");
    os.registry[kRunKey]["Other"] = Stored("other.exe");
    EXPECT_EQ(1, UpdateRunValue(os, 0));
    EXPECT_EQ("<missing>", RunValue(os));
    EXPECT_EQ(1u, os.registry[kRunKey].count("Other")) << "only our value goes";
    std::vector<std::string> expected = {"open|" + kRunKey, "delete|Blinkwatch", "close"};
    EXPECT_EQ(expected, os.registryLog) << "no path is needed to delete";

    os.registryLog.clear();
    EXPECT_EQ(1, UpdateRunValue(os, 0));
    EXPECT_EQ(expected, os.registryLog);
    EXPECT_EQ("<missing>", RunValue(os));
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

    // No executable path: 0, nothing written, the key closed again.
    FakeOs noPath;
    noPath.modulePath = "";
    noPath.registry[kRunKey]["Blinkwatch"] = Stored("\"C:\\old.exe\" /STARTUP");
    EXPECT_EQ(0, UpdateRunValue(noPath, 1));
    EXPECT_EQ(Stored("\"C:\\old.exe\" /STARTUP"), RunValue(noPath));
    EXPECT_EQ(0, noPath.calls["WriteRegistryString"]);
    EXPECT_EQ(0, noPath.openKeys);

    // A path too long to be read whole counts as no path.
    FakeOs longPath;
    longPath.modulePath = "C:\\" + std::string(253, 'p') + ".exe";
    EXPECT_EQ(0, UpdateRunValue(longPath, 1));
    EXPECT_EQ("<missing>", RunValue(longPath));

    // A refused write or delete is not reported.
    FakeOs refused;
    refused.registryWritesFail = true;
    EXPECT_EQ(1, UpdateRunValue(refused, 1));
    EXPECT_EQ(1, UpdateRunValue(refused, 0));
    EXPECT_EQ(0, refused.openKeys);
}
