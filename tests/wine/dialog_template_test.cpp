// The resources linked into the program: dialog template 100 read back byte
// by byte, the version record and the manifest.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "resources/resource_ids.h"

namespace {

// Reads a DLGTEMPLATEEX; "string or ordinal" fields read as text ("#128" for an ordinal).
class TemplateReader {
public:
    explicit TemplateReader(const uint8_t* bytes) : base_(bytes), at_(bytes) {}
    uint16_t Word() { uint16_t v; std::memcpy(&v, at_, 2); at_ += 2; return v; }
    uint32_t Dword() { uint32_t v; std::memcpy(&v, at_, 4); at_ += 4; return v; }
    int Short() { return static_cast<int16_t>(Word()); }
    std::string Text() {
        std::string text;
        for (uint16_t c = Word(); c != 0; c = Word()) text += static_cast<char>(c < 128 ? c : '?');
        return text;
    }
    std::string TextOrOrdinal() {
        const uint16_t first = Word();
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

struct ControlRow {
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

// A port-bit box: 12 x 10 at column x of the Read (y 136) or Write (y 148) row.
constexpr ControlRow Bit(int id, const char* text, int x, int y, DWORD style = kBit) {
    return {id, "#128", style, text, x, y, 12, 10};
}

// Template order, which is the tab order.
const ControlRow kControls[] = {
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
    Bit(114, "1", 178, 136, kBit & ~WS_TABSTOP), Bit(115, "2", 192, 136), Bit(120, "3", 206, 136),
    Bit(121, "4", 220, 136), Bit(122, "5", 234, 136), Bit(123, "6", 248, 136), Bit(124, "7", 262, 136),
    Bit(125, "8", 276, 136),
    Bit(135, "1", 178, 148), Bit(134, "2", 192, 148), Bit(128, "3", 206, 148), Bit(129, "4", 220, 148),
    Bit(130, "5", 234, 148), Bit(131, "6", 248, 148), Bit(132, "7", 262, 148), Bit(133, "8", 276, 148),
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
    const uint8_t* bytes =
        LoadResourceBytes(MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(IDD_MAIN), &size);
    ASSERT_NE(nullptr, bytes) << "dialog 100 is linked in";
    TemplateReader t(bytes);
    ASSERT_EQ(1, t.Word()) << "an extended template";
    ASSERT_EQ(0xFFFF, t.Word());
    t.Dword();                                   // help id
    EXPECT_EQ(0x400u, t.Dword()) << "extended style: context help";
    EXPECT_EQ(0x90CA0040u, t.Dword()) << "style";
    const uint16_t count = t.Word();
    const std::vector<int> rect = {t.Short(), t.Short(), t.Short(), t.Short()};
    EXPECT_EQ((std::vector<int>{124, 18, 348, 232}), rect);
    EXPECT_EQ("", t.TextOrOrdinal()) << "no menu";
    EXPECT_EQ("", t.TextOrOrdinal()) << "no window class";
    EXPECT_EQ("Blinkwatch", t.Text());
    EXPECT_EQ(8, t.Word()) << "point size";
    t.Word();                                    // weight
    t.Word();                                    // italic, character set
    EXPECT_EQ("MS Sans Serif", t.Text());

    ASSERT_EQ(sizeof kControls / sizeof kControls[0], count);
    for (const ControlRow& e : kControls) {
        t.AlignDword();
        t.Dword();                               // help id
        const DWORD exStyle = t.Dword(), style = t.Dword();
        const std::vector<int> rect = {t.Short(), t.Short(), t.Short(), t.Short()};
        const int id = static_cast<int32_t>(t.Dword());
        const std::string windowClass = t.TextOrOrdinal(), text = t.TextOrOrdinal();
        SCOPED_TRACE("control \"" + std::string(e.text) + "\" id " + std::to_string(e.id));
        EXPECT_EQ(e.id, id);
        // Class names are case-insensitive; the resource compiler stores them in capitals.
        EXPECT_EQ(0, lstrcmpiA(e.windowClass, windowClass.c_str())) << "got " << windowClass;
        EXPECT_EQ(e.style, style) << std::hex << "expected 0x" << e.style << " got 0x" << style;
        EXPECT_EQ(0u, exStyle);
        EXPECT_EQ(e.text, text);
        EXPECT_EQ((std::vector<int>{e.x, e.y, e.cx, e.cy}), rect);
        ASSERT_EQ(0, t.Word()) << "no creation data";
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
    const std::pair<const char*, const char*> strings[] = {{"ProductName", "Blinkwatch"},
                                                           {"FileVersion", "1.08"}};
    for (const auto& [name, expected] : strings) {
        char* text = nullptr;
        const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(VerQueryValueA(record.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
            << name;
        EXPECT_STREQ(expected, text);
    }

    DWORD manifestSize = 0;
    const uint8_t* manifest = LoadResourceBytes(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), &manifestSize);
    ASSERT_NE(nullptr, manifest) << "manifest: resource type 24, id 1";
    const std::string xml(reinterpret_cast<const char*>(manifest), manifestSize);
    EXPECT_NE(std::string::npos, xml.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, xml.find("level=\"asInvoker\""));
}
