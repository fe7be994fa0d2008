// The settings dialog: every control mapped to its setting, load and store,
// the digits-only fields, reordering the columns by dragging, OK, Cancel, Help.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tests/ui/ui_fixture.h"
#include "ui/settings_dialog.h"

namespace lumadir::testing {
namespace {

class SettingsDialog : public ui_test {
 protected:
  void SetUp() override {
    ui_test::SetUp();
    if (HasFatalFailure()) return;
    open_main_window();
    std::string folder = program.string() + "\\";
    ASSERT_TRUE(dialog.create(window.get(), variant(folder.c_str())));
    dialog.set_phrases(&language);
    dialog.localize();
    window->set_settings_editor(&dialog);
  }
  void TearDown() override {
    window->set_settings_editor(nullptr);
    ui_test::TearDown();
  }
  listing_settings& settings() { return *window->settings(); }
  bool checked(int32_t id) {
    return SendMessageA(dialog.item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  void check(int32_t id, bool on = true) {
    SendMessageA(dialog.item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  std::string text(HWND control) {
    char buffer[512] = {};
    GetWindowTextA(control, buffer, sizeof buffer);
    return buffer;
  }
  std::string text(int32_t id) { return text(dialog.item(id)); }
  // The whole settings.ini text the settings would write.
  std::string lines() {
    variant_list out;
    settings_lines(settings(), out);
    std::string all;
    for (auto* n = out.first(); n; n = n->next) all += n->value.c_str();
    return all;
  }
  // Loads, changes nothing, stores.
  void load_and_store() {
    dialog.load(settings());
    dialog.store(settings());
  }
  TForm1 dialog;
};

// The shipped settings.ini with some values replaced.
std::string shipped_with(const std::string& shipped,
                         const std::vector<std::pair<std::string, std::string>>& values) {
  std::string text = shipped;
  for (const auto& [key, value] : values) {
    const std::string open = "<" + key + ">", close = "</" + key + ">";
    const size_t start = text.find(open), end = text.find(close);
    if (start == std::string::npos || end == std::string::npos) {
      ADD_FAILURE() << "no key " << key;
      continue;
    }
    text.replace(start + open.size(), end - start - open.size(), value);
  }
  return text;
}

TEST_F(SettingsDialog, LoadThenStoreChangesNothing) {
  const std::string shipped = read_text(settings_path);
  const std::vector<std::vector<std::pair<std::string, std::string>>> files = {
      {},
      {{"str_files_include", "*.txt;*.doc"},
       {"str_files_skip", "~*"},
       {"str_folder_include", "src*"},
       {"str_folder_skip", ".git"},
       {"time_filter", "1"},
       {"time_start", "946724400"},
       {"time_end", "1700000000"},
       {"size_filter", "1"},
       {"size_start", "2048"},
       {"size_high_end", "3"},
       {"att_filter", "7"},
       {"attrs", "6567"},
       {"order_files", "2"},
       {"sort_order", "1"},
       {"subfolders_level", "4"},
       {"recursive_options", "3"},
       {"show_folders", "2"},
       {"show_folder_summary", "0"},
       {"show_global_summary", "0"},
       {"size_units", "1"},
       {"show_times", "0"},
       {"remove_extension_from_name", "1"},
       {"body_background", "1193046"},
       {"folder_font-color", "255"},
       {"folder_font-size", "14"},
       {"folder_font-style", "7"},
       {"folder_font-weight", "400"},
       {"folder_font-name", "Courier New"},
       {"folder_background", "65280"},
       {"file_font-weight", "700"},
       {"file_background_odd", "16711680"},
       {"custom_colors", "ColorA=123456\r\nColorB=FFFFFF\r\nsomething else"}},
      {{"att_filter", "1"},
       {"attrs", "2"},
       {"order_files", "0"},
       {"sort_order", "0"},
       {"subfolders_level", "0"},
       {"show_folders", "1"},
       {"size_units", "-1"}},
      {{"att_filter", "3"},
       {"attrs", "4352"},
       {"order_files", "6"},
       {"subfolders_level", "-1"},
       {"size_units", "2"}},
      {{"att_filter", "5"},
       {"attrs", "128"},
       {"order_files", "3"},
       {"subfolders_level", "6"},
       {"size_units", "0"},
       {"time_start", "-86400"}},
  };
  for (const auto& values : files) {
    write_text(scratch / "case.ini", shipped_with(shipped, values));
    ASSERT_EQ(read_settings(settings(), variant((scratch / "case.ini").string().c_str())), 0);
    const std::string before = lines();
    load_and_store();
    EXPECT_EQ(lines(), before) << (values.empty() ? "shipped" : values[0].second);
  }
}

TEST_F(SettingsDialog, EachControlChangesItsSetting) {
  dialog.load(settings());
  const std::string before = lines();
  const auto store_and_compare = [&](const char* what, const std::function<void()>& edit,
                                     const std::function<bool()>& holds) {
    ASSERT_EQ(read_settings(settings(), window->settings_path()), 0);
    dialog.load(settings());
    edit();
    dialog.store(settings());
    EXPECT_TRUE(holds()) << what;
    EXPECT_NE(lines(), before) << what;
  };
  listing_settings& s = settings();
  store_and_compare(
      "include mask", [&] { SetWindowTextA(dialog.item(id_ComboBox1), "*.c"); },
      [&] { return std::string(s.filter.str_files_include.c_str()) == "*.c"; });
  store_and_compare(
      "skip mask", [&] { SetWindowTextA(dialog.item(id_Edit2), "*.o"); },
      [&] { return std::string(s.filter.str_files_skip.c_str()) == "*.o"; });
  store_and_compare(
      "folder mask", [&] { SetWindowTextA(dialog.item(id_Edit3), "a*"); },
      [&] { return std::string(s.filter.str_folder_include.c_str()) == "a*"; });
  store_and_compare(
      "folder skip", [&] { SetWindowTextA(dialog.item(id_Edit4), "b*"); },
      [&] { return std::string(s.filter.str_folder_skip.c_str()) == "b*"; });
  store_and_compare(
      "time filter", [&] { check(id_CheckBox1); }, [&] { return s.filter.time_filter; });
  store_and_compare(
      "size filter", [&] { check(id_CheckBox2); }, [&] { return s.filter.size_filter; });
  store_and_compare(
      "size from", [&] { SetWindowTextA(dialog.item(id_Edit5), "5"); },
      [&] { return s.filter.size_start == 5120 && s.filter.size_high_start == 0; });
  store_and_compare(
      "size to", [&] { SetWindowTextA(dialog.item(id_Edit6), "4194304"); },
      [&] { return s.filter.size_end == 0 && s.filter.size_high_end == 1; });
  store_and_compare(
      "attribute filter", [&] { check(id_CheckBox16); }, [&] { return s.filter.att_filter == 1; });
  store_and_compare(
      "include mode", [&] { SendMessageA(dialog.item(id_ComboBox2), CB_SETCURSEL, 1, 0); },
      [&] { return s.filter.att_filter == 2; });
  store_and_compare(
      "all mode",
      [&] {
        check(id_RadioButton14);
        check(id_RadioButton15, false);
      },
      [&] { return s.filter.att_filter == 4; });
  const struct {
    int32_t id;
    uint32_t bit;
  } boxes[] = {{id_CheckBox10, 0x20}, {id_CheckBox3, 0x800},  {id_CheckBox4, 0x2},
               {id_CheckBox9, 0x80},  {id_CheckBox5, 0x1000}, {id_CheckBox6, 0x1},
               {id_CheckBox7, 0x4},   {id_CheckBox8, 0x100}};
  for (const auto& box : boxes)
    store_and_compare(
        "attribute", [&] { check(box.id); }, [&] { return s.filter.attrs == box.bit; });

  const auto sort = [&](int32_t radio, bool exact, int32_t expected) {
    store_and_compare(
        "sort key",
        [&] {
          for (int32_t id = id_RadioButton100; id <= id_RadioButton104; ++id)
            check(id, id == radio);
          check(id_cbCaseSensitive, exact);
        },
        [&] { return s.order_files == expected; });
  };
  sort(id_RadioButton100, false, 0);
  sort(id_RadioButton101, true, 1);
  sort(id_RadioButton102, false, 6);
  sort(id_RadioButton102, true, 2);
  sort(id_RadioButton103, false, 3);
  sort(id_RadioButton104, true, 4);
  store_and_compare(
      "descending",
      [&] {
        check(id_sort_SpeedButton1, false);
        check(id_sort_SpeedButton2);
      },
      [&] { return s.sort_order == 1; });
  const int32_t radios[] = {id_RadioButton1, id_RadioButton3, id_RadioButton8};
  const int32_t levels[] = {0, 1, 6};
  for (int i = 0; i < 3; ++i) {
    store_and_compare(
        "subfolders",
        [&] {
          for (int32_t id = id_RadioButton1; id <= id_RadioButton8; ++id)
            check(id, id == radios[i]);
        },
        [&] { return s.subfolders_level == levels[i]; });
  }
  store_and_compare(
      "totals", [&] { check(id_cbRecurSize); }, [&] { return (s.recursive_options & 3) == 1; });
  store_and_compare(
      "skip empty", [&] { check(id_cbProcessEmpty); },
      [&] { return (s.recursive_options & 3) == 2; });
  store_and_compare(
      "follow links", [&] { check(id_cbFollowLinks); }, [&] { return s.follow_folder_links == 1; });
  store_and_compare(
      "file rows", [&] { check(id_cbShowFiles, false); }, [&] { return s.show_folders == 2; });
  store_and_compare(
      "folder rows", [&] { check(id_cbShowFolders, false); }, [&] { return s.show_folders == 1; });
  store_and_compare(
      "folder summary", [&] { check(id_CheckBox11, false); },
      [&] { return s.show_folder_summary == 0; });
  store_and_compare(
      "global summary", [&] { check(id_CheckBox12, false); },
      [&] { return s.show_global_summary == 0; });
  store_and_compare(
      "times", [&] { check(id_CheckBox14, false); }, [&] { return s.show_times == 0; });
  // A checked box keeps extensions in names: the setting is the other way round.
  store_and_compare(
      "extensions", [&] { check(id_CheckBox15, false); },
      [&] { return s.remove_extension_from_name == 1; });
  store_and_compare(
      "units",
      [&] {
        for (int32_t id = id_RadioButton9; id <= id_RadioButton12; ++id)
          check(id, id == id_RadioButton11);
      },
      [&] { return s.size_units == 2; });
  store_and_compare(
      "column title", [&] { SetWindowTextA(dialog.row(2).title, "Bytes"); },
      [&] { return std::string(s.columns.item_at(11).c_str()) == "Bytes"; });
  store_and_compare(
      "column shown", [&] { SendMessageA(dialog.row(1).shown, BM_SETCHECK, BST_CHECKED, 0); },
      [&] { return std::string(s.columns.item_at(5).c_str()) == "1"; });
}

// Values no control holds: the attribute settings are the dialog's alone, so
// store drops bits it has no box for; the folder rows and totals options keep
// theirs, and a level or unit no button offers stays.
TEST_F(SettingsDialog, ValuesNoControlHoldsAreDroppedOrKeptBySetting) {
  listing_settings& s = settings();
  s.filter.att_filter = 8 | 4 | 1;
  s.filter.attrs = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;
  s.show_folders = 4 | 2;
  s.recursive_options = 8 | 1;
  load_and_store();
  EXPECT_EQ(s.filter.att_filter, 5u);
  EXPECT_EQ(s.filter.attrs, static_cast<uint32_t>(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(s.show_folders, 6);
  EXPECT_EQ(s.recursive_options, 9);

  s.subfolders_level = 9;
  s.size_units = 7;
  load_and_store();
  EXPECT_EQ(s.subfolders_level, 9);
  EXPECT_EQ(s.size_units, 7);

  // Font weights are stored normal or bold.
  s.folder_font.weight = 600;
  s.file_font.weight = 300;
  load_and_store();
  EXPECT_EQ(s.folder_font.weight, 700);
  EXPECT_EQ(s.file_font.weight, 400);
}

TEST_F(SettingsDialog, SizeAndWidthFieldsKeepOnlyDigits) {
  dialog.load(settings());
  SetWindowTextA(dialog.item(id_Edit5), "12a3");
  EXPECT_EQ(text(id_Edit5), "123");
  SetWindowTextA(dialog.row(0).width, "4x0%");
  EXPECT_EQ(text(dialog.row(0).width), "40");
  SetWindowTextA(dialog.item(id_Edit6), "");
  dialog.store(settings());
  EXPECT_EQ(settings().filter.size_start, 123u * 1024);
  EXPECT_EQ(settings().filter.size_end, 0u);

  // 1023 bytes is less than a kilobyte.
  settings().filter.size_start = 1023;
  dialog.load(settings());
  EXPECT_EQ(text(id_Edit5), "0");
  dialog.store(settings());
  EXPECT_EQ(settings().filter.size_start, 0u);
}

TEST_F(SettingsDialog, TimesGoThroughThePickersInLocalTime) {
  // 1 January 2000 12:00 UTC; the tests' time zone is UTC.
  settings().filter.time_start = 946728000;
  settings().filter.time_end = 946728000 + 86399;
  dialog.load(settings());
  SYSTEMTIME date = {}, time = {};
  SendMessageA(dialog.item(id_DateTimePicker1), DTM_GETSYSTEMTIME, 0,
               reinterpret_cast<LPARAM>(&date));
  SendMessageA(dialog.item(id_DateTimePicker2), DTM_GETSYSTEMTIME, 0,
               reinterpret_cast<LPARAM>(&time));
  EXPECT_EQ(date.wYear, 2000);
  EXPECT_EQ(date.wMonth, 1);
  EXPECT_EQ(date.wDay, 1);
  EXPECT_EQ(time.wHour, 12);
  EXPECT_EQ(time.wMinute, 0);
  dialog.store(settings());
  EXPECT_EQ(settings().filter.time_start, 946728000);
  EXPECT_EQ(settings().filter.time_end, 946728000 + 86399);

  // The date of one picker and the time of the other make the value.
  SYSTEMTIME day = {2001, 2, 0, 3, 0, 0, 0, 0}, clock = {1999, 1, 0, 1, 8, 30, 15, 0};
  SendMessageA(dialog.item(id_DateTimePicker1), DTM_SETSYSTEMTIME, GDT_VALID,
               reinterpret_cast<LPARAM>(&day));
  SendMessageA(dialog.item(id_DateTimePicker2), DTM_SETSYSTEMTIME, GDT_VALID,
               reinterpret_cast<LPARAM>(&clock));
  dialog.store(settings());
  EXPECT_EQ(settings().filter.time_start, 981189015);  // 2001-02-03 08:30:15 UTC
}

// The same under the zone the test runs in (LUMADIR_TZ, which becomes TZ): a
// date in summer is shown with the summer offset even in winter, and the other
// way round. CMakeLists runs this test again under other zones.
TEST_F(SettingsDialog, TimesGoThroughThePickersInTheLocalTimeOfTheirDate) {
  const struct {
    const char* zone;
    int32_t winter, summer;  // minutes east of UTC
  } zones[] = {{"UTC", 0, 0}, {"America/New_York", -300, -240}, {"Asia/Kolkata", 330, 330}};
  const char* tz = std::getenv("TZ");
  const std::string zone = tz && *tz ? tz : "UTC";
  const auto* known = std::find_if(std::begin(zones), std::end(zones),
                                   [&](const auto& z) { return zone == z.zone; });
  ASSERT_NE(known, std::end(zones)) << "no offsets known for " << zone;

  const auto picked = [&](int32_t id) {
    SYSTEMTIME t = {};
    SendMessageA(dialog.item(id), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t));
    return t;
  };
  const struct {
    const char* season;
    WORD month;
    int32_t offset_minutes;
    time_value noon_utc, morning_utc;  // 12:00:00 on the 15th, 08:30:15 on the 3rd
  } dates[] = {{"winter", 1, known->winter, 1610712000, 1612341015},
               {"summer", 7, known->summer, 1626350400, 1627979415}};
  for (const auto& d : dates) {
    const time_value offset = d.offset_minutes * 60;
    // Noon at the date, local time, reaches the pickers as noon.
    settings().filter.time_start = d.noon_utc - offset;
    settings().filter.time_end = d.noon_utc - offset + 3599;
    dialog.load(settings());
    const SYSTEMTIME date = picked(id_DateTimePicker1), time = picked(id_DateTimePicker2);
    EXPECT_EQ(date.wYear, 2021) << d.season;
    EXPECT_EQ(date.wMonth, d.month) << d.season;
    EXPECT_EQ(date.wDay, 15) << d.season;
    EXPECT_EQ(time.wHour, 12) << d.season;
    EXPECT_EQ(time.wMinute, 0) << d.season;
    const SYSTEMTIME end = picked(id_DateTimePicker4);
    EXPECT_EQ(end.wHour, 12) << d.season;
    EXPECT_EQ(end.wMinute, 59) << d.season;
    EXPECT_EQ(end.wSecond, 59) << d.season;
    dialog.store(settings());
    EXPECT_EQ(settings().filter.time_start, d.noon_utc - offset) << d.season;
    EXPECT_EQ(settings().filter.time_end, d.noon_utc - offset + 3599) << d.season;

    // What is typed in local time is kept in UTC.
    SYSTEMTIME day = {2021, static_cast<WORD>(d.month + 1), 0, 3, 0, 0, 0, 0};
    SYSTEMTIME clock = {1999, 1, 0, 1, 8, 30, 15, 0};
    SendMessageA(dialog.item(id_DateTimePicker1), DTM_SETSYSTEMTIME, GDT_VALID,
                 reinterpret_cast<LPARAM>(&day));
    SendMessageA(dialog.item(id_DateTimePicker2), DTM_SETSYSTEMTIME, GDT_VALID,
                 reinterpret_cast<LPARAM>(&clock));
    dialog.store(settings());
    EXPECT_EQ(settings().filter.time_start, d.morning_utc - offset) << d.season;
  }
}

TEST_F(SettingsDialog, RowsShowTheColumnsAndDragReordersThem) {
  dialog.load(settings());
  const char* ids[] = {"Name",    "Extension", "Size",       "Modified",
                       "Created", "Accessed",  "Attributes", "Type"};
  int32_t size_row = -1;
  for (int32_t i = 0; i < 8; ++i) {
    const std::string id = dialog.row(i).id.c_str();
    EXPECT_EQ(id, settings().columns.item_at(i * 4).c_str());
    for (int32_t k = 0; k < 8; ++k)
      if (id == ids[k]) {
        EXPECT_EQ(text(dialog.row(i).label), phrase(9 + k));
      }
    if (id == "Size") size_row = i;
    RECT r;
    GetWindowRect(dialog.row(i).panel, &r);
    EXPECT_EQ(r.bottom - r.top, scale_of(dialog.handle())(32));
  }
  ASSERT_GT(size_row, 0);
  ASSERT_EQ(std::string(dialog.row(0).id.c_str()), "Name");

  // Drags the row at `from` onto the row at `to`, as the mouse would.
  const auto drag = [&](int32_t from, int32_t to) {
    HWND panel = dialog.row(from).panel;
    RECT target;
    GetWindowRect(dialog.row(to).panel, &target);
    POINT over = {target.right - 8, (target.top + target.bottom) / 2};
    ScreenToClient(panel, &over);
    RECT own;
    GetClientRect(panel, &own);
    const LPARAM start = MAKELPARAM(own.right - 8, 3);  // away from where it ends
    SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, start);
    SendMessageA(panel, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(over.x, over.y));
    // Both rows darken while the drag is over the target.
    EXPECT_TRUE(dialog.row(to).highlighted);
    EXPECT_TRUE(dialog.row(from).highlighted);
    SendMessageA(panel, WM_LBUTTONUP, 0, MAKELPARAM(over.x, over.y));
    for (int32_t i = 0; i < 8; ++i) EXPECT_FALSE(dialog.row(i).highlighted);
  };
  drag(size_row, 0);
  EXPECT_EQ(std::string(dialog.row(0).id.c_str()), "Size");
  EXPECT_EQ(std::string(dialog.row(1).id.c_str()), "Name");
  drag(0, 7);
  EXPECT_EQ(std::string(dialog.row(7).id.c_str()), "Size");
  EXPECT_EQ(std::string(dialog.row(0).id.c_str()), "Name");
  // The rows stand in their new order on screen.
  for (int32_t i = 1; i < 8; ++i) {
    RECT above, below;
    GetWindowRect(dialog.row(i - 1).panel, &above);
    GetWindowRect(dialog.row(i).panel, &below);
    EXPECT_EQ(above.bottom, below.top);
  }
  // A drop onto itself changes nothing; the order reaches the settings on store.
  drag(3, 3);
  dialog.store(settings());
  EXPECT_EQ(std::string(settings().columns.item_at(28).c_str()), "Size");
}

TEST_F(SettingsDialog, CancelDropsTheEditsAndOkStoresAndWrites) {
  const std::string before = lines();
  // Cancel, then the close box: the settings stay as they were.
  for (UINT way : {0u, 1u}) {
    SetWindowTextA(dialog.item(id_Edit2), "changed");
    if (way == 0)
      PostMessageA(dialog.handle(), WM_COMMAND, MAKEWPARAM(id_Button1, BN_CLICKED),
                   reinterpret_cast<LPARAM>(dialog.item(id_Button1)));
    else
      PostMessageA(dialog.handle(), WM_CLOSE, 0, 0);
    click(id_SpeedButton5);  // loads, then shows modally until closed
    EXPECT_FALSE(IsWindowVisible(dialog.handle()));
    EXPECT_EQ(lines(), before);
  }
  // The next showing shows the stored values again.
  dialog.load(settings());
  EXPECT_EQ(text(id_Edit2), "");

  // OK stores and writes settings.ini at once.
  const std::string file_before = read_text(settings_path);
  PostMessageA(dialog.handle(), WM_COMMAND, MAKEWPARAM(id_Button2, BN_CLICKED),
               reinterpret_cast<LPARAM>(dialog.item(id_Button2)));
  click(id_Settings1);
  EXPECT_FALSE(IsWindowVisible(dialog.handle()));
  EXPECT_EQ(read_text(settings_path), file_before);  // nothing was edited
  SetWindowTextA(dialog.item(id_Edit2), "~*");
  dialog.Button2Click();
  EXPECT_EQ(std::string(settings().filter.str_files_skip.c_str()), "~*");
  EXPECT_NE(read_text(settings_path).find("<str_files_skip>~*</str_files_skip>"),
            std::string::npos);
  EXPECT_TRUE(boxes.empty());

  // A settings file that cannot be written: phrase 29, the new values stay.
  window->set_settings_path(variant((scratch / "gone" / "settings.ini").string().c_str()));
  SetWindowTextA(dialog.item(id_Edit2), "*.bak");
  dialog.Button2Click();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, phrase(29));
  EXPECT_EQ(std::string(settings().filter.str_files_skip.c_str()), "*.bak");
}

TEST_F(SettingsDialog, HelpOpensTheActiveTabsTopicAndPresetsComeFromFilterTxt) {
  const char* topics[] = {"help\\3100.html", "help\\3200.html", "help\\3300.html",
                          "help\\3400.html"};
  for (int32_t tab = 0; tab < 4; ++tab) {
    dialog.select_tab(tab);
    dialog.Button3Click();
    ASSERT_FALSE(opened.empty());
    EXPECT_EQ(opened.back(), program.string() + "\\" + topics[tab]);
    EXPECT_TRUE(IsWindowVisible(dialog.page(tab)) || !IsWindowVisible(dialog.handle()));
  }
  // F1 on a control of a tab opens the same topic.
  dialog.select_tab(2);
  MSG key = {};
  key.hwnd = dialog.row(0).title;
  key.message = WM_KEYDOWN;
  key.wParam = VK_F1;
  EXPECT_TRUE(pretranslate_message(key));
  EXPECT_EQ(opened.back(), program.string() + "\\help\\3300.html");

  // filter.txt: every non-empty line, in order.
  write_text(program / "filter.txt", "*.txt\r\n\r\n*.doc;*.rtf\r\n\r\n");
  TForm1 other;
  ASSERT_TRUE(other.create(window.get(), variant((program.string() + "\\").c_str())));
  HWND combo = other.item(id_ComboBox1);
  ASSERT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
  char item[64];
  SendMessageA(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, "*.doc;*.rtf");
  std::filesystem::remove(program / "filter.txt");
  TForm1 without;
  ASSERT_TRUE(without.create(window.get(), variant((program.string() + "\\").c_str())));
  EXPECT_EQ(SendMessageA(without.item(id_ComboBox1), CB_GETCOUNT, 0, 0), 0);
}

// The colour and font dialogs are the system's; the buttons are tested with
// answers given in their place.
COLORREF next_colour = 0;
bool answer_colour(HWND, COLORREF& color, COLORREF* custom) {
  color = next_colour;
  custom[3] = RGB(1, 2, 3);
  return true;
}
bool answer_font(HWND, font_style& font) {
  font.name = "Courier New";
  font.size = 12;
  font.style = 5;
  font.weight = 700;
  font.color = RGB(0, 0, 255);
  return true;
}

// Font names of any script go to the system and come back whole: a name of 20
// characters takes 60 bytes of UTF-8, more than an ANSI font description holds.
TEST(FontDescription, NamesOfAnyScriptRoundTrip) {
  const char* name =
      "\xE3\x83\xA1\xE3\x82\xA4\xE3\x83\xAA\xE3\x82\xAA UI "
      "\xE6\x98\x8E\xE6\x9C\x9D\xE4\xBD\x93 \xC3\x89t\xC3\xA9 Gothic";
  font_style font{0x102030, 12, 5, 700, variant(name)};
  const LOGFONTW description = font_description(font, 192);
  EXPECT_EQ(description.lfHeight, -32);
  EXPECT_EQ(description.lfWeight, FW_BOLD);
  EXPECT_TRUE(description.lfItalic && description.lfStrikeOut && !description.lfUnderline);
  font_style back{0, 0, 0, 0, variant("")};
  take_font_description(description, back);
  EXPECT_STREQ(back.name.c_str(), name);
  EXPECT_EQ(back.weight, 700);
  EXPECT_EQ(back.style, 5);
}

// The settings keep two weights: from semibold up a font is bold.
TEST(FontDescription, SemiboldAndHeavierAreBold) {
  const struct {
    int32_t weight, kept;
  } weights[] = {{0, 400}, {400, 400}, {599, 400}, {600, 700}, {700, 700}, {900, 700}};
  for (const auto& w : weights) {
    EXPECT_EQ(kept_weight(w.weight), w.kept) << w.weight;
    font_style font{0, 10, 0, w.weight, variant("Arial")};
    const LOGFONTW description = font_description(font, 96);
    EXPECT_EQ(description.lfWeight, w.kept) << w.weight;
    LOGFONTW answer = description;
    answer.lfWeight = w.weight;
    take_font_description(answer, font);
    EXPECT_EQ(font.weight, w.kept) << w.weight;
  }
}

TEST_F(SettingsDialog, ColourAndFontButtonsFillTheirPanels) {
  dialog.set_choosers(answer_colour, answer_font);
  dialog.load(settings());
  next_colour = RGB(0x12, 0x34, 0x56);
  // A click reaches the tab's page first, which hands it to the dialog.
  SendMessageA(dialog.page(3), WM_COMMAND, MAKEWPARAM(id_Button5, BN_CLICKED), 0);
  next_colour = RGB(0xAA, 0xBB, 0xCC);
  SendMessageA(dialog.handle(), WM_COMMAND, MAKEWPARAM(id_Button6, BN_CLICKED), 0);
  SendMessageA(dialog.handle(), WM_COMMAND, MAKEWPARAM(id_Button7, BN_CLICKED), 0);
  dialog.store(settings());
  EXPECT_EQ(settings().body_background, static_cast<uint32_t>(RGB(0x12, 0x34, 0x56)));
  EXPECT_EQ(settings().folder_background, static_cast<uint32_t>(RGB(0xAA, 0xBB, 0xCC)));
  EXPECT_STREQ(settings().file_font.name.c_str(), "Courier New");
  EXPECT_EQ(settings().file_font.size, 12);
  EXPECT_EQ(settings().file_font.style, 5);
  EXPECT_EQ(settings().file_font.weight, 700);
  EXPECT_EQ(settings().file_font.color, static_cast<uint32_t>(RGB(0, 0, 255)));
  // A changed custom colour: all sixteen are kept, in order.
  ASSERT_EQ(settings().custom_colors.count(), 16);
  EXPECT_STREQ(settings().custom_colors.item_at(3).c_str(), "ColorD=030201");
}

}  // namespace
}  // namespace lumadir::testing
