#include "gdi_tracker.h"

#include <cstring>
#include <set>

namespace {

struct Originals {
    void* createCompatibleDc;
    void* createSolidBrush;
    void* createFontIndirect;
    void* getIconInfo;
    void* createIconIndirect;
    void* deleteDc;
    void* deleteObject;
    void* destroyIcon;
};

Originals originals{};
bool installed = false;
std::set<HGDIOBJ> liveGdi;
std::set<HICON> liveIcons;

template <class Fn>
Fn Original(void* pointer) { return reinterpret_cast<Fn>(pointer); }

void Made(HGDIOBJ object) {
    if (object == nullptr) return;
    liveGdi.insert(object);
}

HDC WINAPI HookCreateCompatibleDC(HDC dc) {
    HDC made = Original<decltype(&CreateCompatibleDC)>(originals.createCompatibleDc)(dc);
    Made(made);
    return made;
}

HBRUSH WINAPI HookCreateSolidBrush(COLORREF colour) {
    HBRUSH made = Original<decltype(&CreateSolidBrush)>(originals.createSolidBrush)(colour);
    Made(made);
    return made;
}

HFONT WINAPI HookCreateFontIndirectA(const LOGFONTA* font) {
    HFONT made = Original<decltype(&CreateFontIndirectA)>(originals.createFontIndirect)(font);
    Made(made);
    return made;
}

BOOL WINAPI HookGetIconInfo(HICON icon, PICONINFO info) {
    BOOL ok = Original<decltype(&GetIconInfo)>(originals.getIconInfo)(icon, info);
    if (ok) {   // the caller owns copies of both bitmaps
        Made(info->hbmColor);
        Made(info->hbmMask);
    }
    return ok;
}

HICON WINAPI HookCreateIconIndirect(PICONINFO info) {
    HICON made = Original<decltype(&CreateIconIndirect)>(originals.createIconIndirect)(info);
    if (made != nullptr) liveIcons.insert(made);
    return made;
}

BOOL WINAPI HookDeleteDC(HDC dc) {
    BOOL ok = Original<decltype(&DeleteDC)>(originals.deleteDc)(dc);
    if (ok) liveGdi.erase(dc);
    return ok;
}

BOOL WINAPI HookDeleteObject(HGDIOBJ object) {
    BOOL ok = Original<decltype(&DeleteObject)>(originals.deleteObject)(object);
    if (ok) liveGdi.erase(object);
    return ok;
}

BOOL WINAPI HookDestroyIcon(HICON icon) {
    BOOL ok = Original<decltype(&DestroyIcon)>(originals.destroyIcon)(icon);
    if (ok) liveIcons.erase(icon);
    return ok;
}

// Replaces this executable's import of dll!name with `replacement` and keeps
// the address it held in *original. False when the executable does not import it.
bool PatchImport(const char* dll, const char* name, void* replacement, void** original) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; entry->Name != 0; ++entry) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + entry->Name), dll) != 0) continue;
        DWORD lookup = entry->OriginalFirstThunk != 0 ? entry->OriginalFirstThunk : entry->FirstThunk;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + lookup);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), name) != 0) continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
            if (original != nullptr) *original = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

struct HookEntry {
    const char* dll;
    const char* name;
    void* hook;
    void** original;
};

const HookEntry kHooks[] = {
    {"gdi32.dll", "CreateCompatibleDC", reinterpret_cast<void*>(&HookCreateCompatibleDC), &originals.createCompatibleDc},
    {"gdi32.dll", "CreateSolidBrush", reinterpret_cast<void*>(&HookCreateSolidBrush), &originals.createSolidBrush},
    {"gdi32.dll", "CreateFontIndirectA", reinterpret_cast<void*>(&HookCreateFontIndirectA), &originals.createFontIndirect},
    {"gdi32.dll", "DeleteDC", reinterpret_cast<void*>(&HookDeleteDC), &originals.deleteDc},
    {"gdi32.dll", "DeleteObject", reinterpret_cast<void*>(&HookDeleteObject), &originals.deleteObject},
    {"user32.dll", "GetIconInfo", reinterpret_cast<void*>(&HookGetIconInfo), &originals.getIconInfo},
    {"user32.dll", "CreateIconIndirect", reinterpret_cast<void*>(&HookCreateIconIndirect), &originals.createIconIndirect},
    {"user32.dll", "DestroyIcon", reinterpret_cast<void*>(&HookDestroyIcon), &originals.destroyIcon},
};

// An icon is alive while the platform can still describe it.
bool IconAlive(HICON icon) {
    ICONINFO info{};
    if (!Original<decltype(&GetIconInfo)>(originals.getIconInfo)(icon, &info)) return false;
    auto deleteObject = Original<decltype(&DeleteObject)>(originals.deleteObject);
    if (info.hbmColor != nullptr) deleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) deleteObject(info.hbmMask);
    return true;
}

}  // namespace

bool InstallGdiTracker() {
    if (installed) return true;
    bool all = true;
    for (const HookEntry& hook : kHooks) all = PatchImport(hook.dll, hook.name, hook.hook, hook.original) && all;
    installed = true;
    return all;
}

void RemoveGdiTracker() {
    if (!installed) return;
    for (const HookEntry& hook : kHooks)
        if (*hook.original != nullptr) PatchImport(hook.dll, hook.name, *hook.original, nullptr);
    installed = false;
}

size_t LiveGdiObjects() {
    size_t live = 0;
    for (HGDIOBJ object : liveGdi)
        if (GetObjectType(object) != 0) ++live;
    for (HICON icon : liveIcons)
        if (IconAlive(icon)) ++live;
    return live;
}

