// The program's resource script as the resource compiler builds it: the three dialog
// templates control by control, the About item's text, the icon's two images
// and the manifest's execution level.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Expected text of a control whose template text is not checked.
const char kAnyText[] = "<any>";

struct Control {
  int id;
  std::string cls;   // class name, or "#n" for a predefined class ordinal
  std::string text;  // text, or "#n" for a resource ordinal
  std::uint32_t style;
  std::uint32_t exStyle;
  int x, y, cx, cy;
};

struct Dialog {
  bool extended = false;
  std::uint32_t style = 0, exStyle = 0, helpId = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::string menu, cls, caption;
  int pointSize = 0, weight = -1, italic = -1, charset = -1;
  std::string font;
  std::vector<Control> controls;
};

// Reads a template's packed fields in order.
class Reader {
 public:
  explicit Reader(const std::uint8_t* data) : m_base(data), m_at(data) {}
  std::uint16_t Word() { return Take<std::uint16_t>(); }
  std::uint32_t Dword() { return Take<std::uint32_t>(); }
  std::int16_t Short() { return static_cast<std::int16_t>(Word()); }
  std::uint8_t Byte() { return Take<std::uint8_t>(); }
  // A text or an ordinal (0xFFFF then the number, shown as "#n").
  std::string TextOrOrdinal() {
    if (Peek() == 0xFFFF) {
      Word();
      return "#" + std::to_string(Word());
    }
    std::string text;
    for (std::uint16_t c = Word(); c != 0; c = Word()) text += static_cast<char>(c);
    return text;
  }
  void AlignDword() {
    while ((m_at - m_base) % 4 != 0) ++m_at;
  }
  void Skip(std::size_t bytes) { m_at += bytes; }

 private:
  template <typename T>
  T Take() {
    T value;
    std::memcpy(&value, m_at, sizeof value);
    m_at += sizeof value;
    return value;
  }
  std::uint16_t Peek() const {
    std::uint16_t value;
    std::memcpy(&value, m_at, sizeof value);
    return value;
  }
  const std::uint8_t* m_base;
  const std::uint8_t* m_at;
};

std::string ClassName(const std::string& cls) {
  static const char* const kPredefined[] = {"BUTTON", "EDIT", "STATIC"};
  for (int i = 0; i < 3; ++i) {
    if (cls == "#" + std::to_string(0x80 + i)) return kPredefined[i];
  }
  std::string upper = cls;
  for (char& c : upper) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
  return upper;
}

Dialog ParseDialog(const std::uint8_t* data) {
  Dialog d;
  Reader r(data);
  d.extended = r.Word() == 1 && r.Word() == 0xFFFF;
  if (d.extended) {
    d.helpId = r.Dword();
    d.exStyle = r.Dword();
    d.style = r.Dword();
  } else {
    r = Reader(data);
    d.style = r.Dword();
    d.exStyle = r.Dword();
  }
  const int count = r.Word();
  d.x = r.Short(); d.y = r.Short(); d.cx = r.Short(); d.cy = r.Short();
  d.menu = r.TextOrOrdinal();
  d.cls = r.TextOrOrdinal();
  d.caption = r.TextOrOrdinal();
  if (d.style & DS_SETFONT) {
    d.pointSize = r.Word();
    if (d.extended) {
      d.weight = r.Word();
      d.italic = r.Byte();
      d.charset = r.Byte();
    }
    d.font = r.TextOrOrdinal();
  }
  for (int i = 0; i < count; ++i) {
    r.AlignDword();
    Control c{};
    if (d.extended) {
      EXPECT_EQ(r.Dword(), 0u) << "help id of control " << i;
      c.exStyle = r.Dword();
      c.style = r.Dword();
    } else {
      c.style = r.Dword();
      c.exStyle = r.Dword();
    }
    c.x = r.Short(); c.y = r.Short(); c.cx = r.Short(); c.cy = r.Short();
    c.id = d.extended ? static_cast<int>(r.Dword()) : r.Short();
    c.cls = ClassName(r.TextOrOrdinal());
    c.text = r.TextOrOrdinal();
    const std::uint16_t extra = r.Word();
    EXPECT_EQ(extra, 0u) << "creation data of control " << i;
    r.Skip(extra);
    d.controls.push_back(c);
  }
  return d;
}

class ProgramResources : public ::testing::Test {
 protected:
  void SetUp() override {
    // The program's resource script is built into this test as well.
    m_module = ::GetModuleHandleA(nullptr);
  }
  // The resource's bytes in US English; empty when it is missing.
  std::vector<std::uint8_t> Resource(LPCSTR type, int id) {
    HRSRC found = ::FindResourceExA(m_module, type, MAKEINTRESOURCEA(id),
                                    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (found == nullptr) return {};
    const auto* data = static_cast<const std::uint8_t*>(::LockResource(::LoadResource(m_module, found)));
    return std::vector<std::uint8_t>(data, data + ::SizeofResource(m_module, found));
  }
  Dialog LoadDialog(int id) {
    std::vector<std::uint8_t> bytes = Resource(RT_DIALOG, id);
    EXPECT_FALSE(bytes.empty()) << "dialog " << id;
    bytes.resize(bytes.size() + 8, 0);
    return ParseDialog(bytes.data());
  }
  static void ExpectControls(const Dialog& d, const std::vector<Control>& expected) {
    ASSERT_EQ(d.controls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const Control& got = d.controls[i];
      const Control& want = expected[i];
      SCOPED_TRACE("control " + std::to_string(i) + " [" + want.text + "]");
      EXPECT_EQ(got.id, want.id);
      EXPECT_EQ(got.cls, want.cls);
      if (want.text != kAnyText) {
        EXPECT_EQ(got.text, want.text);
      }
      EXPECT_EQ(got.style, want.style);
      EXPECT_EQ(got.exStyle, want.exStyle);
      EXPECT_EQ(got.x, want.x); EXPECT_EQ(got.y, want.y);
      EXPECT_EQ(got.cx, want.cx); EXPECT_EQ(got.cy, want.cy);
    }
  }

  HMODULE m_module = nullptr;
};

TEST_F(ProgramResources, MainWindowTemplate) {
  const Dialog d = LoadDialog(102);
  EXPECT_TRUE(d.extended);
  // WS_SYSMENU: the system menu that holds the About item, and a close box.
  EXPECT_EQ(d.style, 0x90C800C0u);
  EXPECT_EQ(d.exStyle, 0x00040000u);
  EXPECT_EQ(d.helpId, 0u);
  EXPECT_EQ(d.x, 0); EXPECT_EQ(d.y, 0); EXPECT_EQ(d.cx, 293); EXPECT_EQ(d.cy, 103);
  EXPECT_EQ(d.menu, ""); EXPECT_EQ(d.cls, "");
  EXPECT_EQ(d.caption, "Marlo Coach Manual Uninstaller");
  EXPECT_EQ(d.pointSize, 8); EXPECT_EQ(d.font, "MS Sans Serif");
  EXPECT_EQ(d.weight, 0); EXPECT_EQ(d.italic, 0); EXPECT_EQ(d.charset, 1);
  // The status line's template text is a placeholder that initialisation
  // replaces; its text is not checked.
  ExpectControls(d, {
      {1, "BUTTON", "Remove Marlo Coach Installation", 0x50010001, 0, 58, 82, 119, 14},
      {2, "BUTTON", "Cancel", 0x50010000, 0, 185, 82, 50, 14},
      {1003, "STATIC", kAnyText, 0x50020001, 0, 14, 17, 265, 21},
      {1000, "EDIT", "", 0x50810080, 0, 13, 43, 213, 14},
      {1001, "BUTTON", "Browse...", 0x50010000, 0, 231, 43, 50, 14},
      {1002, "BUTTON", "Save Student Data (will be copied to your desktop)", 0x50010003, 0,
       58, 68, 176, 10},
      {-1, "BUTTON", "Marlo Coach Location", 0x50000007, 0, 7, 7, 279, 58},
  });
}

TEST_F(ProgramResources, AboutBoxTemplate) {
  const Dialog d = LoadDialog(100);
  EXPECT_FALSE(d.extended);
  EXPECT_EQ(d.style, 0x80C800C0u);
  EXPECT_EQ(d.exStyle, 0u);
  EXPECT_EQ(d.cx, 235); EXPECT_EQ(d.cy, 55);
  EXPECT_EQ(d.caption, "About RemoveMLC");
  EXPECT_EQ(d.pointSize, 8); EXPECT_EQ(d.font, "MS Sans Serif");
  // The second line of text is the program's own; checked for presence only.
  ASSERT_EQ(d.controls.size(), 4u);
  EXPECT_FALSE(d.controls[2].text.empty());
  ExpectControls(d, {
      {-1, "STATIC", "#128", 0x50000003, 0, 11, 17, 20, 20},
      {-1, "STATIC", "RemoveMLC Version 1.0", 0x50020080, 0, 40, 10, 119, 8},
      {-1, "STATIC", kAnyText, 0x50020000, 0, 40, 25, 119, 8},
      {1, "BUTTON", "OK", 0x50030001, 0, 178, 7, 50, 14},
  });
}

TEST_F(ProgramResources, ProgressWindowTemplate) {
  const Dialog d = LoadDialog(129);
  EXPECT_FALSE(d.extended);
  EXPECT_EQ(d.style, 0x900000C0u);
  EXPECT_EQ(d.exStyle, 0u);
  EXPECT_EQ(d.cx, 289); EXPECT_EQ(d.cy, 98);
  EXPECT_EQ(d.caption, "");
  EXPECT_EQ(d.pointSize, 8); EXPECT_EQ(d.font, "MS Sans Serif");
  ExpectControls(d, {
      {1004, "STATIC", "Static", 0x50020001, 0, 7, 37, 275, 12},
      {1005, "STATIC", "Static", 0x50020001, 0, 7, 59, 275, 11},
  });
}

TEST_F(ProgramResources, AboutItemIconAndManifest) {
  char text[64] = {};
  EXPECT_EQ(::LoadStringA(m_module, 101, text, sizeof text), 19);
  EXPECT_STREQ(text, "&About RemoveMLC...");

  // The group icon: two 16-colour images, 32x32 and 16x16.
  const std::vector<std::uint8_t> group = Resource(RT_GROUP_ICON, 128);
  ASSERT_EQ(group.size(), 6u + 2 * 14u);
  Reader r(group.data());
  r.Skip(4);
  ASSERT_EQ(r.Word(), 2u);
  for (int size : {32, 16}) {
    SCOPED_TRACE(size);
    EXPECT_EQ(r.Byte(), size);
    EXPECT_EQ(r.Byte(), size);
    EXPECT_EQ(r.Byte(), 16);  // colours
    r.Skip(1);
    EXPECT_EQ(r.Word(), 1u);  // planes
    EXPECT_EQ(r.Word(), 4u);  // bits per pixel
    r.Skip(4);
    const std::vector<std::uint8_t> image = Resource(RT_ICON, r.Word());
    ASSERT_GE(image.size(), 40u + 64u);
    // Drawn, not blank: the colour bits use more than one palette entry.
    const std::size_t bits = 40 + 64;
    const std::size_t bytes = static_cast<std::size_t>(size) * size / 2;
    bool varied = false;
    for (std::size_t i = bits + 1; i < bits + bytes; ++i) varied |= image[i] != image[bits];
    EXPECT_TRUE(varied);
  }

  const std::vector<std::uint8_t> manifest = Resource(MAKEINTRESOURCEA(24), 1);
  const std::string xml(manifest.begin(), manifest.end());
  EXPECT_NE(xml.find("level=\"requireAdministrator\""), std::string::npos);
  // The same manifest serves the 32-bit and the 64-bit build.
  EXPECT_NE(xml.find("processorArchitecture=\"*\""), std::string::npos);
  // Themed controls and system DPI awareness (the file check reads the rest).
  EXPECT_NE(xml.find("\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(xml.find(">true</dpiAware>"), std::string::npos);
}

}  // namespace
