// The main window driven by window messages: its states, runs and their ends,
// the save and browse dialogs, the internal-viewer toggle, and closing.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <atomic>
#include <set>
#include <thread>

#include "tests/ui/ui_fixture.h"

namespace lumadir::testing {
namespace {

// A folder of a few files, and, when asked, many: enough that a run is still
// reading when a test stops or closes it.
void make_tree(const std::filesystem::path& root, int folders = 0, int files_each = 0) {
  write_text(root / "alpha.txt", "alpha");
  write_text(root / "beta.html", "<p>beta</p>");
  write_text(root / "sub" / "gamma.txt", "gamma");
  write_text(root / "sub2" / "delta.txt", "delta");
  for (int f = 0; f < folders; ++f)
    for (int i = 0; i < files_each; ++i)
      write_text(root / ("many" + std::to_string(f)) / ("file" + std::to_string(i) + ".txt"), "x");
}

// The first dialog-class window of this process whose caption starts with
// `caption` (any when empty), waiting for it to appear.
HWND wait_for_dialog(const std::string& caption) {
  for (int i = 0; i < 800; ++i) {
    struct search {
      std::string caption;
      HWND found = nullptr;
    } s{caption};
    EnumWindows(
        [](HWND w, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<search*>(data);
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          char cls[32] = {}, text[256] = {};
          GetClassNameA(w, cls, sizeof cls);
          GetWindowTextA(w, text, sizeof text);
          if (pid == GetCurrentProcessId() && std::string(cls) == "#32770" &&
              std::string(text).rfind(s->caption, 0) == 0) {
            s->found = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    Sleep(25);
  }
  return nullptr;
}

std::set<std::filesystem::path> html_files_in(const std::filesystem::path& folder) {
  std::set<std::filesystem::path> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == ".html") found.insert(entry.path());
  return found;
}

using MainWindow = ui_test;

TEST_F(MainWindow, StartsIdleWithItsPhrasesAndLayout) {
  open_main_window();
  for (int32_t id : {id_Edit1, id_SpeedButton1, id_SpeedButton3, id_SpeedButton4, id_SpeedButton5})
    EXPECT_TRUE(enabled(id)) << id;
  EXPECT_FALSE(enabled(id_SpeedButton6));
  for (int32_t id : {id_Opensourcefolder1, id_Saveas1, id_Preview1, id_Settings1, id_int_brows,
                     id_Contents1, id_Support1, id_About1, id_WebSite1})
    EXPECT_TRUE(menu_enabled(id)) << id;
  EXPECT_FALSE(menu_enabled(id_Stop1));

  char text[256];
  const struct {
    int32_t id;
    int32_t phrase;
  } buttons[] = {{id_SpeedButton3, 43}, {id_SpeedButton4, 44}, {id_SpeedButton6, 45},
                 {id_SpeedButton5, 46}, {id_GroupBox1, 47},    {id_SpeedButton1, 48}};
  for (const auto& b : buttons) {
    GetWindowTextA(window->control(b.id), text, sizeof text);
    EXPECT_EQ(std::string(text), phrase(b.phrase));
  }
  GetMenuStringA(window->menu(), id_Saveas1, text, sizeof text, MF_BYCOMMAND);
  EXPECT_EQ(std::string(text), phrase(34) + "\tCtrl+S");
  GetMenuStringA(window->menu(), id_Stop1, text, sizeof text, MF_BYCOMMAND);
  EXPECT_EQ(std::string(text), phrase(37));
  GetMenuStringA(window->menu(), 1, text, sizeof text, MF_BYPOSITION);
  EXPECT_EQ(std::string(text), phrase(142));
  GetMenuStringA(window->menu(), id_WebSite1, text, sizeof text, MF_BYCOMMAND);
  EXPECT_EQ(std::string(text), web_site_caption);
  GetWindowTextA(main(), text, sizeof text);
  EXPECT_EQ(std::string(text), "Lumadir 2.0");
  EXPECT_EQ(GetMenuState(window->menu(), id_int_brows, MF_BYCOMMAND) & MF_CHECKED,
            window->settings()->enable_internal_viewer ? static_cast<UINT>(MF_CHECKED) : 0u);

  // The layout is the one of 96 DPI, scaled to the window's DPI.
  const dpi_scale scale = scale_of(main());
  RECT client;
  GetClientRect(main(), &client);
  EXPECT_EQ(client.right, scale(442));
  EXPECT_EQ(client.bottom, scale(147));
  RECT button;
  GetWindowRect(window->control(id_SpeedButton6), &button);
  MapWindowPoints(nullptr, main(), reinterpret_cast<POINT*>(&button), 2);
  EXPECT_EQ(button.left, scale(198));
  EXPECT_EQ(button.right - button.left, scale(97));
  EXPECT_EQ(button.bottom - button.top, scale(57));
  EXPECT_EQ(GetWindowContextHelpId(main()), 1u);
}

TEST_F(MainWindow, FollowsAMoveToAScreenOfTwiceTheDpi) {
  open_main_window();
  RECT suggested = {10, 20, 900, 400};
  SendMessageA(main(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  RECT client;
  GetClientRect(main(), &client);
  EXPECT_EQ(client.right, 884);
  EXPECT_EQ(client.bottom, 294);
  RECT edit;
  GetWindowRect(window->control(id_Edit1), &edit);
  EXPECT_EQ(edit.right - edit.left, 674);
  EXPECT_EQ(edit.bottom - edit.top, 48);
}

TEST_F(MainWindow, AnEmptyFolderFieldAsksForAFolderAndStartsNothing) {
  open_main_window();
  for (int32_t command : {id_SpeedButton4, id_Preview1, id_SpeedButton3, id_Saveas1}) {
    boxes.clear();
    click(command);
    ASSERT_EQ(boxes.size(), 1u) << command;
    EXPECT_EQ(boxes[0].text, phrase(31));
    EXPECT_EQ(boxes[0].title, "Lumadir 2.0");
    EXPECT_EQ(boxes[0].kind, box_question);
    EXPECT_EQ(boxes[0].owner, main());
    EXPECT_FALSE(window->running());
    EXPECT_TRUE(enabled(id_SpeedButton4));
    EXPECT_FALSE(enabled(id_SpeedButton6));
    EXPECT_EQ(window->settings()->run_active.load(), 0);
  }
}

TEST_F(MainWindow, APreviewRunsThenOpensInTheSystemsBrowser) {
  make_tree(scratch / "tree");
  open_main_window();
  type_folder(scratch / "tree");
  click(id_SpeedButton4);
  // Running: only Stop is usable among the listing controls.
  EXPECT_TRUE(window->running());
  EXPECT_TRUE(enabled(id_SpeedButton6));
  EXPECT_TRUE(menu_enabled(id_Stop1));
  for (int32_t id : {id_Edit1, id_SpeedButton1, id_SpeedButton3, id_SpeedButton4, id_SpeedButton5})
    EXPECT_FALSE(enabled(id)) << id;
  for (int32_t id : {id_Opensourcefolder1, id_Saveas1, id_Preview1, id_Settings1})
    EXPECT_FALSE(menu_enabled(id)) << id;
  EXPECT_TRUE(menu_enabled(id_int_brows));
  EXPECT_TRUE(menu_enabled(id_About1));

  ASSERT_TRUE(pump_until([&] { return run_ended(); }));
  EXPECT_TRUE(enabled(id_SpeedButton4));
  EXPECT_FALSE(enabled(id_SpeedButton6));
  EXPECT_FALSE(menu_enabled(id_Stop1));
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(beeps, 0);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], window->settings()->result_file.c_str());
  EXPECT_NE(read_text(opened[0]).find("alpha.txt"), std::string::npos);
  EXPECT_EQ(status(), phrase(18));
  EXPECT_EQ(std::string(window->settings()->source_path.c_str()), (scratch / "tree").string());

  // Destroying the window removes the preview's temporary file.
  const std::string temporary = window->settings()->temp_file.c_str();
  EXPECT_TRUE(std::filesystem::exists(temporary));
  DestroyWindow(main());
  EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST_F(MainWindow, StopEndsTheRunWithPhrase19AndNoBox) {
  make_tree(scratch / "tree", 10, 20);
  open_main_window();
  type_folder(scratch / "tree");
  click(id_Preview1);
  // The run hands its first progress text to this thread and waits for it,
  // so the stop is seen before the walk is done.
  click(id_SpeedButton6);
  ASSERT_TRUE(pump_until([&] { return run_ended(); }));
  EXPECT_EQ(window->settings()->result_code.load(), run_result::stopped);
  EXPECT_EQ(status(), phrase(19));
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(opened.empty());
}

TEST_F(MainWindow, TheEndOfARunIsReportedByItsResultCode) {
  open_main_window();
  listing_settings& s = *window->settings();
  const struct {
    int32_t code;
    int32_t phrase;  // 0: the empty text
  } rows[] = {{100, 19}, {200, 20}, {300, 21},  {400, 22},  {450, 23},
              {500, 24}, {550, 25}, {600, 150}, {12345, 0}, {-1, 0}};
  for (const auto& row : rows) {
    boxes.clear();
    s.result_code.store(static_cast<run_result>(row.code));
    s.action = 0;
    SendMessageA(main(), WM_TIMER, Timer1, 0);
    const std::string text = row.phrase ? phrase(row.phrase) : "";
    if (row.phrase) {
      EXPECT_FALSE(text.empty()) << row.code;
    }
    EXPECT_EQ(status(), text) << row.code;
    if (row.code == 100) {
      EXPECT_TRUE(boxes.empty());
    } else {
      ASSERT_EQ(boxes.size(), 1u) << row.code;
      EXPECT_EQ(boxes[0].text, text);
      EXPECT_EQ(boxes[0].kind, box_warning);
      EXPECT_EQ(boxes[0].owner, nullptr);
      EXPECT_EQ(boxes[0].title, "Lumadir 2.0");
    }
  }
  EXPECT_TRUE(opened.empty());

  // A finished save beeps and names the file; nothing is opened.
  boxes.clear();
  s.result_code.store(run_result::done);
  s.action = 2;
  s.save_as_path = "C:\\out\\list.html";
  SendMessageA(main(), WM_TIMER, Timer1, 0);
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(status(), phrase(17) + "C:\\out\\list.html");
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(opened.empty());
}

TEST_F(MainWindow, SaveAsAsksForTheFileInTheFolderOfTheLastOneAndWritesIt) {
  make_tree(scratch / "tree");
  std::filesystem::create_directories(scratch / "out");
  open_main_window();
  // The last saved file's folder exists, the file itself no longer does.
  window->settings()->save_as_path = (scratch / "out" / "old.html").string().c_str();
  type_folder(scratch / "tree");

  std::string folder_seen;
  std::thread driver([&] {
    HWND dialog = wait_for_dialog("Save listing file as");
    if (!dialog) return;
    char folder[MAX_PATH] = {};
    SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
    folder_seen = folder;
    HWND name = GetDlgItem(dialog, cmb13);
    if (!name) name = GetDlgItem(dialog, edt1);
    SetWindowTextA(name, "listing");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  click(id_SpeedButton3);
  driver.join();
  EXPECT_EQ(folder_seen, (scratch / "out").string());

  const std::filesystem::path saved = scratch / "out" / "listing.html";  // default extension
  EXPECT_EQ(std::string(window->settings()->save_as_path.c_str()), saved.string());
  EXPECT_EQ(window->settings()->action, 2);
  ASSERT_TRUE(pump_until([&] { return run_ended(); }));
  EXPECT_EQ(beeps, 1);
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(status(), phrase(17) + saved.string());
  EXPECT_NE(read_text(saved).find("gamma.txt"), std::string::npos);
}

// The Save as dialog offers the four listing forms, opens at the one saved
// last, and the extension typed (or, without one of ours, the form chosen in
// the list) decides the form.
TEST_F(MainWindow, SaveAsChoosesTheFormByTheExtensionOrTheList) {
  make_tree(scratch / "tree");
  std::filesystem::create_directories(scratch / "out");
  open_main_window();
  window->settings()->save_as_path = (scratch / "out" / "old.html").string().c_str();
  window->settings()->output_type = 2;  // JSON, saved last
  type_folder(scratch / "tree");

  auto save = [&](const char* name, int list_choice) {
    int offered = -1;
    int shown = -1;
    std::thread driver([&] {
      HWND dialog = wait_for_dialog("Save listing file as");
      if (!dialog) return;
      HWND types = GetDlgItem(dialog, cmb1);
      offered = static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0));
      shown = static_cast<int>(SendMessageA(types, CB_GETCURSEL, 0, 0));
      if (list_choice >= 0) {
        // What the list box sends when a user picks an item (Wine's dialog
        // takes the choice on the second).
        SendMessageA(types, CB_SETCURSEL, list_choice, 0);
        for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
          SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, code), reinterpret_cast<LPARAM>(types));
      }
      HWND field = GetDlgItem(dialog, cmb13);
      if (!field) field = GetDlgItem(dialog, edt1);
      SetWindowTextA(field, name);
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    click(id_SpeedButton3);
    driver.join();
    EXPECT_EQ(offered, 5);  // HTML, CSV, JSON, text and all files
    EXPECT_TRUE(pump_until([&] { return run_ended(); }));
    return shown;
  };

  EXPECT_EQ(save("listing.csv", -1), 2);  // opened at JSON
  EXPECT_EQ(window->settings()->output_type, 1);
  EXPECT_EQ(read_text(scratch / "out" / "listing.csv").substr(0, 10), "\xEF\xBB\xBF" "Folder,");

  EXPECT_EQ(save("listing.txt", 2), 1);  // opened at CSV; the extension beats the list
  EXPECT_EQ(window->settings()->output_type, 3);
  EXPECT_NE(read_text(scratch / "out" / "listing.txt").find("  gamma.txt"), std::string::npos);

  // No extension: the dialog adds the one of the form chosen in the list.
  EXPECT_EQ(save("listing", 2), 3);
  EXPECT_EQ(window->settings()->output_type, 2);
  EXPECT_EQ(read_text(scratch / "out" / "listing.json").substr(0, 12), "{\"program\": ");

  // An extension of no form of ours: the form chosen in the list, and with
  // "All files", HTML.
  EXPECT_EQ(save("listing.lst", 1), 2);
  EXPECT_EQ(window->settings()->output_type, 1);
  EXPECT_EQ(read_text(scratch / "out" / "listing.lst").substr(0, 10), "\xEF\xBB\xBF" "Folder,");
  EXPECT_EQ(save("all.dat", 4), 1);
  EXPECT_EQ(window->settings()->output_type, 0);
  EXPECT_NE(read_text(scratch / "out" / "all.dat").find("gamma.txt</td>"), std::string::npos);

  EXPECT_EQ(save("page.htm", 3), 0);
  EXPECT_EQ(window->settings()->output_type, 0);
  EXPECT_NE(read_text(scratch / "out" / "page.htm").find("gamma.txt</td>"), std::string::npos);
  EXPECT_EQ(status(), phrase(17) + (scratch / "out" / "page.htm").string());
}

// The folder browser itself is tested with the shell; here its request.
browse_request last_browse;
const char* browse_answer = nullptr;
bool answer_browse(browse_request& request) {
  last_browse.initial_folder.assign_text_of(request.initial_folder);
  last_browse.prompt.assign_text_of(request.prompt);
  last_browse.owner = request.owner;
  last_browse.flags = request.flags;
  if (!browse_answer) return false;
  request.result = browse_answer;
  return true;
}

TEST_F(MainWindow, BrowseStartsAtTheDeepestExistingFolder) {
  make_tree(scratch / "tree");
  open_main_window();
  set_browse_hook(answer_browse);
  const std::string chosen = (scratch / "tree" / "sub2").string();
  browse_answer = chosen.c_str();
  type_folder(scratch / "tree" / "sub" / "gone" / "deeper");
  click(id_SpeedButton1);
  EXPECT_EQ(std::string(last_browse.initial_folder.c_str()), (scratch / "tree" / "sub").string());
  EXPECT_EQ(std::string(last_browse.prompt.c_str()), phrase(26));
  EXPECT_EQ(last_browse.owner, main());
  EXPECT_EQ(last_browse.flags, browse_file_system_only);
  EXPECT_EQ(folder_text(), chosen);

  // With the field empty the browser starts at source_path; cancel changes nothing.
  SetWindowTextA(window->control(id_Edit1), "");
  window->settings()->source_path = (scratch / "tree" / "sub2" / "x.txt").string().c_str();
  browse_answer = nullptr;
  click(id_Opensourcefolder1);
  EXPECT_EQ(std::string(last_browse.initial_folder.c_str()), (scratch / "tree" / "sub2").string());
  EXPECT_EQ(folder_text(), "");

  // A drive that is not there gives no initial folder at all.
  type_folder("Q:\\old\\place");
  click(id_SpeedButton1);
  EXPECT_EQ(std::string(last_browse.initial_folder.c_str()), "");
  EXPECT_EQ(folder_text(), "Q:\\old\\place");
  set_browse_hook(nullptr);
}

TEST_F(MainWindow, TheInternalViewerToggleWritesTheSettingsAtOnce) {
  make_tree(scratch / "tree", 4, 10);
  open_main_window();
  const int before = window->settings()->enable_internal_viewer;
  const auto stored = [&] {
    const std::string text = read_text(settings_path);
    const size_t at = text.find("<enable_internal_viewer>");
    return at == std::string::npos ? -1 : text[at + 24] - '0';
  };
  click(id_int_brows);
  EXPECT_EQ(window->settings()->enable_internal_viewer, 1 - before);
  EXPECT_EQ(stored(), 1 - before);
  EXPECT_EQ(GetMenuState(window->menu(), id_int_brows, MF_BYCOMMAND) & MF_CHECKED,
            before ? 0u : static_cast<UINT>(MF_CHECKED));

  // During a run the file waits for the run to end: the run reads the settings.
  type_folder(scratch / "tree");
  click(id_Preview1);
  click(id_int_brows);
  EXPECT_EQ(window->settings()->enable_internal_viewer, before);
  EXPECT_EQ(stored(), 1 - before);
  ASSERT_TRUE(pump_until([&] { return run_ended(); }));
  EXPECT_EQ(stored(), before);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindow, ClosingWritesTheSettingsIntoTheProgramFolderAfterAListing) {
  make_tree(scratch / "tree");
  open_main_window();
  type_folder(scratch / "tree" / "sub");
  click(id_Preview1);
  ASSERT_TRUE(pump_until([&] { return run_ended(); }));
  // The walk left the process in the listed folder.
  SendMessageA(main(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(main()));
  EXPECT_NE(read_text(settings_path).find((scratch / "tree" / "sub").string()), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(scratch / "tree" / "sub" / "settings.ini"));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindow, ClosingWhenTheSettingsCannotBeWrittenWarnsAndStillCloses) {
  open_main_window();
  window->set_settings_path(
      variant((scratch / "no such folder" / "settings.ini").string().c_str()));
  SendMessageA(main(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(main()));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, phrase(29));
  EXPECT_EQ(boxes[0].kind, box_warning);
  EXPECT_EQ(boxes[0].owner, nullptr);
}

TEST_F(MainWindow, ClosingDuringARunStopsItAndWaitsBeforeAnythingGoes) {
  make_tree(scratch / "tree", 10, 20);
  open_main_window();
  const auto temporary_before = html_files_in(std::filesystem::temp_directory_path());
  type_folder(scratch / "tree");
  click(id_Preview1);
  ASSERT_EQ(window->settings()->run_active.load(), 1);
  // The run is waiting for this thread to take its progress text; closing
  // must keep answering it, or both threads would wait for ever.
  SendMessageA(main(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(main()));
  EXPECT_NE(read_text(settings_path).find((scratch / "tree").string()), std::string::npos);
  EXPECT_EQ(html_files_in(std::filesystem::temp_directory_path()), temporary_before);
  EXPECT_TRUE(opened.empty());
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace lumadir::testing
