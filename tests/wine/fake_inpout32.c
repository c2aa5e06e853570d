/* A stand-in inpout32.dll: Out32 as that library exports it (stdcall, undecorated). */
static long lastCall = -1; /* address in the high word, value in the low */
__declspec(dllexport) void __stdcall Out32(short address, short value) { lastCall = (long)address << 16 | value; }
__declspec(dllexport) long __stdcall LastOut32(void) { return lastCall; }
