// Every caption and menu item shows the phrase meant for it. The tables are
// written out here by window and control, apart from the program's own
// tables, so that a phrase put on the wrong control shows as a difference.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "tests/ui/ui_fixture.h"
#include "ui/preview_window.h"
#include "ui/settings_dialog.h"

namespace lumadir::testing {
namespace {

struct caption {
  int32_t id;
  int32_t phrase;
};

std::string text_of(HWND control) {
  char text[512] = {};
  GetWindowTextA(control, text, sizeof text);
  return text;
}

class Captions : public ui_test {
 protected:
  void SetUp() override {
    ui_test::SetUp();
    if (HasFatalFailure()) return;
    open_main_window();
  }
  // Each language of vxlang.xml in turn: a table right in one language and
  // wrong in another cannot hide.
  template <typename Check>
  void in_every_language(Check check) {
    for (int32_t language_index = 0; language_index < language.language_count(); ++language_index) {
      language.select_language(language_index);
      SCOPED_TRACE("language " + std::to_string(language_index));
      check();
    }
  }
};

TEST_F(Captions, EverySettingsControlShowsItsOwnPhrase) {
  const caption captions[] = {
      // Filters
      {id_filter_GroupBox1, 51},
      {id_Label1, 52},
      {id_Label2, 53},
      {id_GroupBox2, 54},
      {id_Label3, 52},
      {id_Label4, 53},
      {id_GroupBox3, 55},
      {id_CheckBox1, 56},
      {id_Button10, 57},
      {id_Label5, 58},
      {id_Label6, 59},
      {id_GroupBox4, 60},
      {id_CheckBox2, 61},
      {id_GroupBox5, 62},
      {id_CheckBox16, 63},
      {id_RadioButton14, 64},
      {id_RadioButton15, 65},
      {id_CheckBox10, 66},
      {id_CheckBox3, 67},
      {id_CheckBox4, 68},
      {id_CheckBox9, 69},
      {id_CheckBox5, 70},
      {id_CheckBox6, 71},
      {id_CheckBox7, 72},
      {id_CheckBox8, 73},
      // Sorting and folders
      {id_GroupBox6, 78},
      {id_RadioButton100, 79},
      {id_RadioButton101, 80},
      {id_RadioButton102, 81},
      {id_RadioButton103, 82},
      {id_RadioButton104, 83},
      {id_cbCaseSensitive, 144},
      {id_sort_SpeedButton1, 85},
      {id_sort_SpeedButton2, 86},
      {id_GroupBox8, 96},
      {id_cbShowFiles, 124},
      {id_cbShowFolders, 106},
      {id_CheckBox11, 97},
      {id_CheckBox12, 98},
      {id_GroupBox7, 87},
      {id_RadioButton1, 88},
      {id_RadioButton2, 89},
      {id_RadioButton3, 90},
      {id_RadioButton4, 91},
      {id_RadioButton5, 92},
      {id_RadioButton6, 93},
      {id_RadioButton7, 94},
      {id_RadioButton8, 95},
      {id_cbRecurSize, 147},
      {id_cbProcessEmpty, 148},
      {id_cbFollowLinks, 153},
      // Columns
      {id_Label9, 114},
      {id_GroupBox9, 105},
      {id_CheckBox14, 107},
      {id_CheckBox15, 108},
      {id_GroupBox10, 109},
      {id_RadioButton9, 110},
      {id_RadioButton10, 111},
      {id_RadioButton11, 112},
      {id_RadioButton12, 113},
      // Colours and fonts
      {id_GroupBox12, 115},
      {id_Button5, 116},
      {id_GroupBox13, 117},
      {id_Button4, 118},
      {id_Button6, 119},
      {id_GroupBox14, 120},
      {id_Button7, 121},
      {id_Button8, 122},
      {id_Button9, 123},
      // The dialog's own buttons
      {id_Button3, 101},
      {id_Button2, 100},
      {id_Button1, 99},
  };
  const int32_t tab_phrases[settings_tab_count] = {74, 75, 76, 77};
  const int32_t header_phrases[] = {102, 103, 104};

  TForm1 dialog;
  ASSERT_TRUE(dialog.create(window.get(), variant((program.string() + "\\").c_str())));
  dialog.set_phrases(&language);
  in_every_language([&] {
    dialog.localize();
    for (const caption& c : captions) {
      HWND control = dialog.item(c.id);
      ASSERT_NE(control, nullptr) << c.id;
      EXPECT_EQ(text_of(control), phrase(c.phrase)) << "control " << c.id;
    }
    HWND tabs = dialog.item(id_PageControl1);
    ASSERT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), settings_tab_count);
    for (int32_t i = 0; i < settings_tab_count; ++i) {
      char text[128] = {};
      TCITEMA tab = {};
      tab.mask = TCIF_TEXT;
      tab.pszText = text;
      tab.cchTextMax = sizeof text;
      SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&tab));
      EXPECT_EQ(std::string(text), phrase(tab_phrases[i])) << "tab " << i;
    }
    HWND header = dialog.item(id_HeaderControl1);
    for (int32_t i = 0; i < 3; ++i) {
      char text[128] = {};
      HDITEMA section = {};
      section.mask = HDI_TEXT;
      section.pszText = text;
      section.cchTextMax = sizeof text;
      SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&section));
      EXPECT_EQ(std::string(text), phrase(header_phrases[i])) << "heading " << i;
    }
    // The size units beside the size fields are no phrase.
    EXPECT_EQ(text_of(dialog.item(id_Label7)), "Kb");
    EXPECT_EQ(text_of(dialog.item(id_Label8)), "Kb");
  });
}

TEST_F(Captions, EveryMenuItemAndToolbarButtonShowsItsOwnPhrase) {
  const struct {
    int32_t id, phrase;
    const char* shortcut;
  } items[] = {
      {id_Opensourcefolder1, 33, "Ctrl+O"},
      {id_Saveas1, 34, "Ctrl+S"},
      {id_Preview1, 35, "Ctrl+P"},
      {id_Stop1, 37, nullptr},
      {id_Settings1, 36, "Ctrl+T"},
      {id_int_brows, 143, nullptr},
      {id_Contents1, 39, nullptr},
      {id_Support1, 40, nullptr},
      {id_About1, 41, nullptr},
  };
  const int32_t top_phrases[] = {32, 142, 38};  // by position on the menu bar
  const caption buttons[] = {{id_SpeedButton3, 43}, {id_SpeedButton4, 44}, {id_SpeedButton6, 45},
                             {id_SpeedButton5, 46}, {id_GroupBox1, 47},    {id_SpeedButton1, 48}};
  const caption preview_buttons[] = {
      {id_preview_SpeedButton3, 43}, {id_preview_SpeedButton1, 49}, {id_preview_SpeedButton2, 50}};

  TForm2 preview;
  ASSERT_TRUE(preview.create(window.get()));
  preview.set_phrases(&language);
  in_every_language([&] {
    window->localize();
    preview.localize();
    HMENU bar = window->menu();
    ASSERT_EQ(GetMenuItemCount(bar), 4);
    char text[256];
    for (int32_t i = 0; i < 3; ++i) {
      GetMenuStringA(bar, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      EXPECT_EQ(std::string(text), phrase(top_phrases[i])) << "menu " << i;
    }
    GetMenuStringA(bar, 3, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, web_site_caption);
    for (const auto& item : items) {
      ASSERT_GT(GetMenuStringA(bar, static_cast<UINT>(item.id), text, sizeof text, MF_BYCOMMAND), 0)
          << "menu item " << item.id;
      std::string expected = phrase(item.phrase);
      if (item.shortcut) expected += std::string("\t") + item.shortcut;
      EXPECT_EQ(std::string(text), expected) << "menu item " << item.id;
    }
    for (const caption& b : buttons)
      EXPECT_EQ(text_of(window->control(b.id)), phrase(b.phrase)) << "control " << b.id;
    for (const caption& b : preview_buttons)
      EXPECT_EQ(text_of(preview.control(b.id)), phrase(b.phrase)) << "preview control " << b.id;
  });
}

}  // namespace
}  // namespace lumadir::testing
