#pragma once
// Opaque handles of the platform's objects. Portable code only stores and
// passes them; the Win32 side converts them to and from HANDLE, HICON, HWND.

struct OsDevice;
using DeviceHandle = OsDevice*;   // an open device; null when the open failed

struct OsIcon;
using IconHandle = OsIcon*;

struct OsWindow;
using WindowHandle = OsWindow*;

struct OsRegistryKey;
using RegistryKeyHandle = OsRegistryKey*;   // an open registry key; null when opening failed

struct OsLibrary;
using LibraryHandle = OsLibrary*;          // a run-time loaded library; null when absent

struct OsPortOutput;
using PortOutputHandle = OsPortOutput*;    // a port output function of such a library
