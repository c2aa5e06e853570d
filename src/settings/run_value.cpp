#include "settings/run_value.h"

#include <cstdio>

void UpdateRunValue(Os& os, bool enable) {
    if (!enable) {
        os.DeleteUserRegistryValue(kRunKeyPath, kRunValueName);   // a missing value is no error
        return;
    }
    char path[kPathLength];
    if (!os.QueryModulePath(path)) return;
    // The quotes keep a path with blanks one argument.
    char command[kPathLength + sizeof kStartupSwitch + 4];
    std::snprintf(command, sizeof command, "\"%s\" %s", path, kStartupSwitch);
    os.WriteUserRegistryString(kRunKeyPath, kRunValueName, command);
}
