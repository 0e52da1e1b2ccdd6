// The dialog template, strings, icon and version as they are compiled into
// the program, one check per language copy. (The manifest is read out of the
// built program itself, in tests/program.)
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialog_template_reader.h"
#include "platform/text.h"
#include "platform/win32/win32_resources.h"

namespace halvora::platform {
namespace {

using testing::DialogTemplate;

struct Rect {
  int x, y, cx, cy;
};

struct Layout {
  int width;
  Rect frame, separator, previous, next, exit;
};

constexpr Layout kStandard{400, {0, 0, 400, 246}, {4, 254, 393, 1}, {225, 262, 50, 14}, {285, 262, 50, 14},
                           {345, 262, 50, 14}};
constexpr Layout kWideButtons{400, {0, 0, 400, 246}, {4, 254, 393, 1}, {227, 262, 50, 14}, {286, 262, 50, 14},
                              {346, 262, 50, 14}};
constexpr Layout kInset{411, {1, 1, 408, 246}, {1, 253, 408, 1}, {236, 262, 50, 14}, {295, 262, 50, 14},
                        {355, 262, 50, 14}};

struct Copy {
  uint16_t language;
  const Layout* layout;
  const char* caption;
  const char* exit;
  const char* previous;
  const char* next;
  const char* finish;
};

const Copy kCopies[] = {
    {1028, &kWideButtons, "Trevin 產品安裝說明", "離開", "< 上一步", "下一步 >", "完成"},
    {1031, &kStandard, "Trevin Installationsanleitung", "Beenden", "< Zurück", "Weiter >", "Fertigstellen"},
    {1033, &kStandard, "Trevin Installation Instruction", "Exit", "< Previous", "Next >", "Finish"},
    {1036, &kStandard, "Instructions d'installation de Trevin", "Quitter", "< Précédent", "Suivant >", "Terminer"},
    {1040, &kStandard, "Istruzioni sull'installazione di Trevin", "Esci", "< Indietro", "Avanti >", "Fine"},
    {1041, &kInset, "Trevinのインストールに関する指示", "終了", "< 戻る", "次へ >", "完了"},
    {1042, &kWideButtons, "Trevin 설치 지침", "종료", "< 뒤로", "다음 >", "마침"},
    {1049, &kStandard, "Инструкция по установке Trevin", "Выход", "< Назад", "Далее >", "Готово"},
    {2052, &kInset, "Trevin 产品安装说明", "离开", "< 上一步", "下一步 >", "完成"},
    {3082, &kStandard, "Instrucciones de Instalación de Trevin", "Salir", "< Atrás", "Siguiente >", "Finalizar"},
};

void ExpectRect(const testing::DialogItem& item, const Rect& r) {
  EXPECT_EQ(item.x, r.x);
  EXPECT_EQ(item.y, r.y);
  EXPECT_EQ(item.cx, r.cx);
  EXPECT_EQ(item.cy, r.cy);
}

DialogTemplate ReadCopy(uint16_t language, uint16_t* found = nullptr) {
  const ResourceBytes bytes = FindResourceInLanguage(RT_DIALOG, 102, language);
  DialogTemplate dialog;
  EXPECT_NE(bytes.data, nullptr);
  if (bytes.data != nullptr) {
    EXPECT_TRUE(testing::ReadDialogTemplate(bytes.data, bytes.size, dialog));
  }
  if (found != nullptr) *found = bytes.language;
  return dialog;
}

class LanguageCopy : public ::testing::TestWithParam<Copy> {};

TEST_P(LanguageCopy, DialogTemplateHasItsGeometryStylesAndTexts) {
  const Copy& copy = GetParam();
  uint16_t found = 0;
  const DialogTemplate dialog = ReadCopy(copy.language, &found);
  EXPECT_EQ(found, copy.language) << "each language has its own copy";
  EXPECT_EQ(dialog.cx, copy.layout->width);
  EXPECT_EQ(dialog.cy, 283);
  EXPECT_EQ(Utf8(dialog.title), copy.caption);
  EXPECT_NE(Utf8(dialog.title).find("Trevin"), std::string::npos);
  const uint32_t frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  EXPECT_EQ(dialog.style & frame, frame);
  EXPECT_EQ(dialog.style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
  EXPECT_TRUE(dialog.exStyle & WS_EX_APPWINDOW);
  EXPECT_EQ(dialog.typeface, u"Tahoma");
  EXPECT_EQ(dialog.pointSize, 8);
  EXPECT_EQ(dialog.italic, 0);

  ASSERT_EQ(dialog.items.size(), 5u);
  // Template order is tab order: "Exit" is the first tab stop, so it has the focus first.
  const int32_t ids[] = {1000, -1, 2, 3, 4};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(dialog.items[i].id, ids[i]) << "item " << i;
  ExpectRect(dialog.items[0], copy.layout->frame);
  ExpectRect(dialog.items[1], copy.layout->separator);
  ExpectRect(dialog.items[2], copy.layout->exit);
  ExpectRect(dialog.items[3], copy.layout->previous);
  ExpectRect(dialog.items[4], copy.layout->next);
  EXPECT_EQ(dialog.items[0].style & SS_TYPEMASK, static_cast<uint32_t>(SS_BLACKFRAME));
  EXPECT_TRUE(dialog.items[1].style & SS_SUNKEN);
  for (size_t i = 0; i < 2; ++i) EXPECT_FALSE(dialog.items[i].style & WS_TABSTOP);
  for (size_t i = 2; i < 5; ++i) {
    EXPECT_TRUE(dialog.items[i].style & WS_TABSTOP);
    EXPECT_TRUE(dialog.items[i].style & WS_VISIBLE);
  }
  EXPECT_EQ(Utf8(dialog.items[2].title), copy.exit);
  EXPECT_EQ(Utf8(dialog.items[3].title), copy.previous);
  EXPECT_EQ(Utf8(dialog.items[4].title), copy.next);
}

TEST_P(LanguageCopy, StringsOneAndTwoAreNextAndFinish) {
  const Copy& copy = GetParam();
  EXPECT_EQ(Utf8(LoadStringInLanguage(1, copy.language)), copy.next);
  EXPECT_EQ(Utf8(LoadStringInLanguage(2, copy.language)), copy.finish);
  EXPECT_EQ(LoadStringInLanguage(3, copy.language), u"") << "no third string";
}

INSTANTIATE_TEST_SUITE_P(TenLanguages, LanguageCopy, ::testing::ValuesIn(kCopies),
                         [](const auto& info) { return "Lang" + std::to_string(info.param.language); });

TEST(LanguageFallback, ALanguageWithoutACopyGetsItsPrimaryLanguageOrEnglish) {
  struct Case {
    uint16_t asked, served;
  };
  for (const Case& c : {Case{0x0c07, 0x0407}, Case{0x0809, 0x0409}, Case{0x0c04, 0x0404}, Case{0x1004, 0x0804},
                        Case{0x080c, 0x040c}, Case{0x080a, 0x0c0a}, Case{0x0413, 0x0409}, Case{0x0000, 0x0409}}) {
    uint16_t found = 0;
    ReadCopy(c.asked, &found);
    EXPECT_EQ(found, c.served) << std::hex << c.asked;
  }
  EXPECT_EQ(LoadStringInLanguage(2, 0x0c07), u"Fertigstellen");
}

TEST(OtherResources, IconAndVersion) {
  const HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128));
  EXPECT_NE(icon, nullptr);
  const ResourceBytes group = FindResourceInLanguage(RT_GROUP_ICON, 128, 1028);
  ASSERT_NE(group.data, nullptr);
  EXPECT_EQ(group.language, 1028);
  // The group's entries (14 bytes each after a 6-byte head): width, height
  // (0 for 256), ..., and at byte 12 the identifier of the image itself.
  const auto* head = static_cast<const BYTE*>(group.data);
  const int sizes[] = {16, 24, 32, 48, 256};
  ASSERT_EQ(reinterpret_cast<const WORD*>(head)[2], 5) << "four bitmap images and a PNG one";
  for (int i = 0; i < 5; ++i) {
    const BYTE* entry = head + 6 + 14 * i;
    EXPECT_EQ(entry[0] == 0 ? 256 : entry[0], sizes[i]) << "image " << i;
    WORD id = 0;
    std::memcpy(&id, entry + 12, sizeof id);
    const HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_ICON);
    ASSERT_NE(found, nullptr) << "image " << i;
    const auto* image = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found)));
    const bool png = std::memcmp(image, "\x89PNG", 4) == 0;
    EXPECT_EQ(png, sizes[i] == 256) << "only the largest image is PNG-compressed; image " << i;
  }

  const ResourceBytes version = FindResourceInLanguage(RT_VERSION, 1, 1033);
  ASSERT_NE(version.data, nullptr);
  // The fixed file information follows the block's key; find it by its signature.
  const auto* words = static_cast<const DWORD*>(version.data);
  const VS_FIXEDFILEINFO* fixed = nullptr;
  for (size_t i = 0; i + sizeof(VS_FIXEDFILEINFO) / 4 <= version.size / 4; ++i) {
    if (words[i] == 0xFEEF04BD) {
      fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(words + i);
      break;
    }
  }
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
}

}  // namespace
}  // namespace halvora::platform
