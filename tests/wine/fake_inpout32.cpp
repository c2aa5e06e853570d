// A stand-in for inpout32.dll with the same Out32 entry point, so that the
// port output can be tested for real: loaded by name, looked up by name and
// called with the platform's standard calling convention.
#include <windows.h>

namespace {
short writes[64][2];
int count = 0;
}

extern "C" __declspec(dllexport) void __stdcall Out32(short address, short value) {
    if (count < 64) {
        writes[count][0] = address;
        writes[count][1] = value;
    }
    ++count;
}

// Copies up to `room` recorded (address, value) pairs; answers how many calls there were.
extern "C" __declspec(dllexport) int __stdcall RecordedWrites(short* pairs, int room) {
    for (int k = 0; k < count && k < room && k < 64; ++k) {
        pairs[2 * k] = writes[k][0];
        pairs[2 * k + 1] = writes[k][1];
    }
    return count;
}
