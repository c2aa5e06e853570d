// The process entry: the command tail by the program's own rule, then the
// program proper; its result is the exit code.
#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/win32/win32_os.h"
#include "shell/command_line.h"
#include "shell/startup.h"

namespace {

// The program's process-wide state: it lives as long as the process.
Win32Os os;
DialogState state;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* tail = CommandTail(GetCommandLineA());
    std::vector<char> tailCopy(tail, tail + std::strlen(tail) + 1);
    state.os = &os;
    return BlinkwatchMain(GetModuleHandleA(nullptr), tailCopy.data(), state);
}
