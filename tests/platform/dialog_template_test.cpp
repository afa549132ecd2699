// Dialog template 102 as this build's ostrel.exe carries it, read back from the program's
// resources: the style word decides which font the dialog manager picks (with DS_FIXEDSYS
// beside DS_SETFONT it would be DS_SHELLFONT, "MS Shell Dlg 2"), and so every pixel size.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

// The fixed head of an extended dialog template, then its variable-length fields as far as
// the font.
struct DialogTemplateHead {
  uint16_t version = 0;
  uint16_t signature = 0;
  uint32_t exStyle = 0;
  uint32_t style = 0;
  uint16_t items = 0;
  int16_t cx = 0;
  int16_t cy = 0;
  std::u16string caption;
  uint16_t pointSize = 0;
  std::u16string typeface;
};

// Reads the template at bytes; false when it ends early or is not an extended template.
class TemplateReader {
 public:
  TemplateReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  bool Read(DialogTemplateHead& head) {
    uint32_t helpId = 0;
    int16_t x = 0, y = 0;
    if (!Take(head.version) || !Take(head.signature) || !Take(helpId) || !Take(head.exStyle) ||
        !Take(head.style) || !Take(head.items) || !Take(x) || !Take(y) || !Take(head.cx) ||
        !Take(head.cy)) {
      return false;
    }
    if (head.version != 1 || head.signature != 0xFFFF) return false;
    std::u16string menu, windowClass;
    if (!TakeNameOrOrdinal(menu) || !TakeNameOrOrdinal(windowClass) || !TakeText(head.caption)) {
      return false;
    }
    if ((head.style & DS_SETFONT) == 0) return true;
    uint16_t weight = 0;
    uint8_t italic = 0, charset = 0;
    return Take(head.pointSize) && Take(weight) && Take(italic) && Take(charset) &&
           TakeText(head.typeface);
  }

 private:
  template <typename T>
  bool Take(T& value) {
    if (size_ - offset_ < sizeof value) return false;
    std::memcpy(&value, bytes_ + offset_, sizeof value);
    offset_ += sizeof value;
    return true;
  }
  bool TakeText(std::u16string& text) {
    for (char16_t c = 0; Take(c);) {
      if (c == 0) return true;
      text.push_back(c);
    }
    return false;
  }
  // 0xFFFF then an ordinal, or a zero-terminated name (empty: none).
  bool TakeNameOrOrdinal(std::u16string& name) {
    uint16_t first = 0;
    if (!Take(first)) return false;
    if (first == 0xFFFF) return Take(first);
    if (first == 0) return true;
    name.push_back(static_cast<char16_t>(first));
    return TakeText(name);
  }

  const uint8_t* bytes_;
  size_t size_;
  size_t offset_ = 0;
};

const LPCWSTR kDialogType = MAKEINTRESOURCEW(5);  // RT_DIALOG

TEST(DialogTemplate, MainDialogAsCompiledIntoOstrel) {
  const HMODULE program = LoadLibraryExA(OSTREL_PROGRAM, nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(program, nullptr) << "error " << GetLastError();
  const HRSRC resource = FindResourceW(program, MAKEINTRESOURCEW(102), kDialogType);
  ASSERT_NE(resource, nullptr);
  const HGLOBAL loaded = LoadResource(program, resource);
  ASSERT_NE(loaded, nullptr);
  TemplateReader reader(static_cast<const uint8_t*>(LockResource(loaded)),
                        SizeofResource(program, resource));
  DialogTemplateHead head;
  ASSERT_TRUE(reader.Read(head));
  FreeLibrary(program);

  // WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
  EXPECT_EQ(head.style, 0x90C800C0u) << std::hex << head.style;
  EXPECT_EQ(head.exStyle, static_cast<uint32_t>(WS_EX_APPWINDOW));
  EXPECT_EQ(head.items, 11);
  EXPECT_EQ(head.cx, 155);
  EXPECT_EQ(head.cy, 90);
  EXPECT_EQ(head.caption, u"NORV camera update v4.0");
  EXPECT_EQ(head.pointSize, 9);
  EXPECT_EQ(head.typeface, u"MS Shell Dlg");
}

}  // namespace
