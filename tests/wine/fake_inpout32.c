/* A stand-in inpout32.dll: Out32 as that library exports it (stdcall, undecorated). Loaded into a
   process, it leaves "<its path>.loaded" beside itself, for tests that watch the process from outside. */
#include <windows.h>

static long lastCall = -1; /* address in the high word, value in the low */
__declspec(dllexport) void __stdcall Out32(short address, short value) { lastCall = (long)address << 16 | value; }
__declspec(dllexport) long __stdcall LastOut32(void) { return lastCall; }

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    char path[MAX_PATH + 8];
    DWORD length = reason == DLL_PROCESS_ATTACH ? GetModuleFileNameA(self, path, MAX_PATH) : 0;
    (void)reserved;
    if (length > 0 && length < MAX_PATH) {
        lstrcatA(path, ".loaded");
        CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    }
    return TRUE;
}
