#include "shell/run_value.h"

#include <cstdio>
#include <cstring>

namespace {

// The open Run key, closed when it goes out of scope.
class RunKey {
public:
    explicit RunKey(Os& os) : os_(os), key_(os.OpenUserRegistryKey(kRunKeyPath)) {}
    ~RunKey() {
        if (key_ != nullptr) os_.CloseRegistryKey(key_);
    }
    RunKey(const RunKey&) = delete;
    RunKey& operator=(const RunKey&) = delete;
    RegistryKeyHandle get() const { return key_; }

private:
    Os& os_;
    RegistryKeyHandle key_;
};

// Stores "\"<path>\" /STARTUP"; the quotes keep a path with blanks one argument.
int WriteRunValue(Os& os, RegistryKeyHandle key) {
    char path[kPathLength] = {};
    if (os.QueryModulePath(path, sizeof path) == 0) return 0;
    path[sizeof path - 1] = '\0';
    if (path[0] == '\0') return 0;
    char command[kPathLength + sizeof kStartupSwitch + 4];
    std::snprintf(command, sizeof command, "\"%s\" %s", path, kStartupSwitch);
    os.WriteRegistryString(key, kRunValueName, command,
                           static_cast<uint32_t>(std::strlen(command) + 1));
    return 1;
}

}  // namespace

int UpdateRunValue(Os& os, int enable) {
    RunKey key(os);
    if (key.get() == nullptr) return 1;
    if (enable != 0) return WriteRunValue(os, key.get());
    os.DeleteRegistryValue(key.get(), kRunValueName);   // a missing value is no error
    return 1;
}
