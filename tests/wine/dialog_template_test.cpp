// The resources linked into the program: dialog template 100 read back byte
// by byte, the version record and the manifest.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

// Reads a DLGTEMPLATEEX: words, double words, and the "string or ordinal"
// fields, which are turned into text ("#128" for an ordinal).
class TemplateReader {
public:
    explicit TemplateReader(const uint8_t* bytes) : base_(bytes), at_(bytes) {}
    uint16_t Word() { uint16_t v; std::memcpy(&v, at_, 2); at_ += 2; return v; }
    uint32_t Dword() { uint32_t v; std::memcpy(&v, at_, 4); at_ += 4; return v; }
    int16_t Short() { return static_cast<int16_t>(Word()); }
    uint8_t Byte() { return *at_++; }
    std::string Text() {
        std::string text;
        for (uint16_t c = Word(); c != 0; c = Word()) text += static_cast<char>(c < 128 ? c : '?');
        return text;
    }
    std::string TextOrOrdinal() {
        uint16_t first = Word();
        if (first == 0) return "";
        if (first == 0xFFFF) return "#" + std::to_string(Word());
        at_ -= 2;
        return Text();
    }
    void AlignDword() { while ((at_ - base_) % 4 != 0) ++at_; }

private:
    const uint8_t* base_;
    const uint8_t* at_;
};

struct ControlSpec {
    int id;
    const char* windowClass;   // "#128" button, "#129" edit, "#130" static
    DWORD style;
    const char* text;
    int x, y, cx, cy;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kPush = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCheck = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kBit = kChild | WS_TABSTOP | BS_AUTOCHECKBOX | BS_PUSHLIKE;
constexpr DWORD kNumber = kChild | WS_TABSTOP | WS_BORDER | ES_LEFT | ES_NUMBER | ES_AUTOHSCROLL;
constexpr DWORD kLabel = kChild | WS_GROUP | SS_LEFT;
constexpr DWORD kGroup = kChild | BS_GROUPBOX;

// Template order, which is the tab order.
const ControlSpec kControls[] = {
    {149, "#128", kPush, "About", 294, 120, 46, 14},
    {145, "SysListView32",
     kChild | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS, "",
     10, 20, 328, 88},
    {-1, "#130", kLabel, "Activity poll interval ms", 10, 174, 88, 10},
    {143, "#129", kNumber, "", 102, 172, 24, 12},
    {1, "#128", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, "Apply", 294, 180, 46, 14},
    {2, "#128", kPush, "Quit", 294, 212, 46, 14},
    {102, "#128", kGroup, "Monitoring", 6, 10, 336, 104},
    {103, "#128", kCheck, "Show in tray", 12, 126, 58, 10},
    {109, "#128", kPush, "Start", 294, 164, 46, 14},
    {158, "#128", kPush, "Online help", 294, 136, 46, 14},
    {-1, "#128", kGroup, "Unit options", 6, 116, 286, 46},
    {114, "#128", kBit & ~WS_TABSTOP, "1", 178, 136, 12, 10},
    {115, "#128", kBit, "2", 192, 136, 12, 10},
    {120, "#128", kBit, "3", 206, 136, 12, 10},
    {121, "#128", kBit, "4", 220, 136, 12, 10},
    {122, "#128", kBit, "5", 234, 136, 12, 10},
    {123, "#128", kBit, "6", 248, 136, 12, 10},
    {124, "#128", kBit, "7", 262, 136, 12, 10},
    {125, "#128", kBit, "8", 276, 136, 12, 10},
    {135, "#128", kBit, "1", 178, 148, 12, 10},
    {134, "#128", kBit, "2", 192, 148, 12, 10},
    {128, "#128", kBit, "3", 206, 148, 12, 10},
    {129, "#128", kBit, "4", 220, 148, 12, 10},
    {130, "#128", kBit, "5", 234, 148, 12, 10},
    {131, "#128", kBit, "6", 248, 148, 12, 10},
    {132, "#128", kBit, "7", 262, 148, 12, 10},
    {133, "#128", kBit, "8", 276, 148, 12, 10},
    {111, "#128", kCheck, "Output to parallel port", 154, 124, 104, 10},
    {154, "#128", kCheck, "Single icon mode", 138, 186, 72, 10},
    {142, "#128", kGroup, "Global options", 6, 164, 286, 62},
    {136, "#128", kCheck, "Start with os", 10, 200, 56, 12},
    {-1, "#130", kLabel, "Read", 154, 136, 18, 10},
    {-1, "#130", kLabel, "Write", 154, 148, 20, 10},
    {-1, "#130", kLabel, "Delay seconds", 22, 212, 50, 10},
    {150, "#129", kNumber, "", 72, 210, 24, 12},
    {151, "#128", kPush, "Hide", 294, 196, 46, 14},
    {152, "#128", kCheck, "Alternate icon(s)", 138, 174, 72, 10},
    {157, "#128", kCheck, "Keyboard LED", 150, 198, 72, 10},
    {-1, "#130", kLabel, "Load indicators interval ms", 10, 186, 88, 10},
    {156, "#129", kNumber, "", 102, 186, 24, 12},
    {159, "#128", kCheck, "Static icon", 150, 210, 72, 10},
    {160, "#128", kCheck, "Multi CPU monitoring", 208, 174, 78, 10},
};

const uint8_t* LoadResourceBytes(LPCSTR type, LPCSTR name, DWORD* size) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name, type);
    if (found == nullptr) return nullptr;
    *size = SizeofResource(module, found);
    return static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
}

}  // namespace

TEST(DialogTemplate, HeaderAndEveryControlInTabOrder) {
    DWORD size = 0;
    const uint8_t* bytes = LoadResourceBytes(MAKEINTRESOURCEA(5) /* RT_DIALOG */,
                                             MAKEINTRESOURCEA(IDD_MAIN), &size);
    ASSERT_NE(nullptr, bytes) << "dialog 100 is linked in";
    TemplateReader t(bytes);
    ASSERT_EQ(1, t.Word()) << "an extended template";
    ASSERT_EQ(0xFFFF, t.Word());
    t.Dword();                                   // help id
    EXPECT_EQ(0x400u, t.Dword()) << "extended style: context help";
    EXPECT_EQ(0x90CA0040u, t.Dword()) << "style";
    const uint16_t count = t.Word();
    EXPECT_EQ(124, t.Short());
    EXPECT_EQ(18, t.Short());
    EXPECT_EQ(348, t.Short());
    EXPECT_EQ(232, t.Short());
    EXPECT_EQ("", t.TextOrOrdinal()) << "no menu";
    EXPECT_EQ("", t.TextOrOrdinal()) << "no window class";
    EXPECT_EQ("Blinkwatch", t.Text());
    EXPECT_EQ(8, t.Word()) << "point size";
    t.Word();                                    // weight
    t.Byte();                                    // italic
    t.Byte();                                    // character set
    EXPECT_EQ("MS Sans Serif", t.Text());

    ASSERT_EQ(sizeof kControls / sizeof kControls[0], count);
    for (const ControlSpec& expected : kControls) {
        t.AlignDword();
        t.Dword();                               // help id
        const DWORD exStyle = t.Dword();
        const DWORD style = t.Dword();
        const int x = t.Short(), y = t.Short(), cx = t.Short(), cy = t.Short();
        const int id = static_cast<int32_t>(t.Dword());
        const std::string windowClass = t.TextOrOrdinal();
        const std::string text = t.TextOrOrdinal();
        const uint16_t extra = t.Word();
        SCOPED_TRACE("control \"" + std::string(expected.text) + "\" id " + std::to_string(expected.id));
        EXPECT_EQ(expected.id, id);
        // Class names are case-insensitive; the resource compiler stores them in capitals.
        EXPECT_EQ(0, lstrcmpiA(expected.windowClass, windowClass.c_str()))
            << "expected " << expected.windowClass << " got " << windowClass;
        EXPECT_EQ(expected.style, style) << std::hex << "expected 0x" << expected.style << " got 0x" << style;
        EXPECT_EQ(0u, exStyle);
        EXPECT_EQ(expected.text, text);
        EXPECT_EQ(expected.x, x);
        EXPECT_EQ(expected.y, y);
        EXPECT_EQ(expected.cx, cx);
        EXPECT_EQ(expected.cy, cy);
        ASSERT_EQ(0, extra);
    }
}

TEST(DialogTemplate, VersionRecordAndManifest) {
    char path[MAX_PATH] = {};
    ASSERT_NE(0u, GetModuleFileNameA(nullptr, path, MAX_PATH));
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_NE(0u, size) << "the executable carries a version record";
    std::vector<char> record(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, record.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(record.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(0, 8), fixed->dwFileVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(record.data(), "\\StringFileInfo\\040904B0\\ProductName",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ("Blinkwatch", text);
    ASSERT_TRUE(VerQueryValueA(record.data(), "\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ("1.08", text);

    DWORD manifestSize = 0;
    const uint8_t* manifest = LoadResourceBytes(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), &manifestSize);
    ASSERT_NE(nullptr, manifest) << "manifest: resource type 24, id 1";
    const std::string xml(reinterpret_cast<const char*>(manifest), manifestSize);
    EXPECT_NE(std::string::npos, xml.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, xml.find("level=\"asInvoker\""));
}
