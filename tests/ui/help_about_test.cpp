// Help topics, the web link, F1 routing, the About box and the pictures.
#include <windows.h>

#include <cstring>
#include <thread>

#include "tests/ui/ui_fixture.h"
#include "ui/about_box.h"
#include "window_kit/pictures.h"

namespace lumadir::testing {
namespace {

using Help = ui_test;

std::string program_file(const std::filesystem::path& program, const char* relative) {
  std::string folder = program.string();
  return folder + "\\" + relative;
}

TEST_F(Help, F1OpensTheTopicOfTheFocusedWindowsContext) {
  open_main_window();
  MSG key = {};
  key.hwnd = window->control(id_Edit1);  // no context of its own: the window's is 1
  key.message = WM_KEYDOWN;
  key.wParam = VK_F1;
  EXPECT_TRUE(pretranslate_message(key));
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], program_file(program, "help\\ui_main.html"));

  SetWindowContextHelpId(window->control(id_Edit1), 6);
  EXPECT_TRUE(pretranslate_message(key));
  EXPECT_EQ(opened.back(), program_file(program, "help\\4000.html"));
}

TEST_F(Help, TheHookMapsContextsToTopicsAndUnknownOnesToTheContents) {
  open_main_window();
  bool standard = true;
  const struct {
    int32_t context;
    const char* topic;
  } rows[] = {{0, "help.html"},       {1, "help\\ui_main.html"}, {2, "help\\3100.html"},
              {3, "help\\3200.html"}, {4, "help\\3300.html"},    {5, "help\\3400.html"},
              {6, "help\\4000.html"}, {7, "help.html"},          {-1, "help.html"},
              {1000, "help.html"}};
  for (const auto& row : rows) {
    standard = true;
    EXPECT_TRUE(window->help_hook(0, row.context, standard));
    EXPECT_FALSE(standard);
    EXPECT_EQ(opened.back(), program_file(program, row.topic)) << row.context;
  }
  // A window without topics declines, and still keeps the system's help away.
  vexa_generic_ui_class bare;
  standard = true;
  EXPECT_FALSE(bare.help_hook(0, 1, standard));
  EXPECT_FALSE(standard);
}

TEST_F(Help, MenuItemsOpenTheirPagesAndSayWhenTheyCannot) {
  open_main_window();
  click(id_Contents1);
  click(id_Support1);
  click(id_WebSite1);
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[0], program_file(program, "help.html"));
  EXPECT_EQ(opened[1], program_file(program, "support.html"));
  EXPECT_EQ(opened[2], std::string(web_site_address));
  EXPECT_NE(opened[2].find("/?r=lmd&s=p"), std::string::npos);
  EXPECT_TRUE(boxes.empty());

  shell_answer = false;
  click(id_Contents1);
  click(id_WebSite1);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Can't open help file: " + program_file(program, "help.html"));
  EXPECT_EQ(boxes[1].text, "Can't go to VEXA web site");
  for (const recorded_box& box : boxes) {
    EXPECT_EQ(box.title, "Lumadir 2.0");
    EXPECT_EQ(box.kind, box_warning);
    EXPECT_EQ(box.owner, main());
  }
}

TEST_F(Help, TheAboutBoxShowsItsTextsCentredAndClosesWithItsButton) {
  about_box about;
  ASSERT_TRUE(about.create());
  char text[256];
  about.localize();  // no phrases yet: the first texts stay
  GetWindowTextA(about.label(0), text, sizeof text);
  EXPECT_EQ(std::string(text), "Lumadir 2.0");
  GetWindowTextA(about.button(), text, sizeof text);
  EXPECT_EQ(std::string(text), "OK");

  about.set_phrases(&language);
  about.localize();
  GetWindowTextA(about.handle(), text, sizeof text);
  EXPECT_EQ(std::string(text), phrase(1));
  GetWindowTextA(about.label(3), text, sizeof text);
  EXPECT_EQ(std::string(text), phrase(2));
  GetWindowTextA(about.button(), text, sizeof text);
  EXPECT_EQ(std::string(text), phrase(3));
  // The maker line is read back whole in the UTF-8 process: "©" survives.
  GetWindowTextA(about.label(2), text, sizeof text);
  EXPECT_EQ(std::string(text), "Copyright \u00A9 2026 VEXA. All rights reserved.");

  RECT r;
  GetWindowRect(about.handle(), &r);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);

  open_main_window();
  window->set_about_box(&about);
  // The click waits in the queue and is handled inside the box's own loop.
  PostMessageA(about.handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(about.button()));
  click(id_About1);
  EXPECT_FALSE(IsWindowVisible(about.handle()));
  EXPECT_TRUE(IsWindowEnabled(main()));
  // The close box closes it too.
  PostMessageA(about.handle(), WM_CLOSE, 0, 0);
  click(id_About1);
  EXPECT_FALSE(IsWindowVisible(about.handle()));
  window->set_about_box(nullptr);
}

TEST(Pictures, EveryPictureHasCrispShapesAndAFadedGreyDisabledForm) {
  for (picture p : {picture::save, picture::preview, picture::stop, picture::settings,
                    picture::browse, picture::print, picture::close, picture::program}) {
    for (int size : {16, 24, 48}) {
      std::vector<uint32_t> normal(size * size), disabled(size * size);
      render_picture(p, size, false, normal.data());
      render_picture(p, size, true, disabled.data());
      int opaque = 0, clear = 0;
      uint64_t alpha_normal = 0, alpha_disabled = 0;
      for (int i = 0; i < size * size; ++i) {
        const uint32_t a = normal[i] >> 24;
        // Premultiplied: no channel exceeds alpha.
        EXPECT_LE((normal[i] >> 16) & 0xFF, a);
        EXPECT_LE(normal[i] & 0xFF, a);
        opaque += a == 255;
        clear += a == 0;
        alpha_normal += a;
        alpha_disabled += disabled[i] >> 24;
        const uint32_t d = disabled[i];
        EXPECT_EQ((d >> 16) & 0xFF, d & 0xFF) << "grey";
        EXPECT_EQ((d >> 8) & 0xFF, d & 0xFF) << "grey";
      }
      EXPECT_GT(opaque, 0) << static_cast<int>(p) << " at " << size;
      EXPECT_GT(alpha_normal, static_cast<uint64_t>(size * size * 255 / 10));
      EXPECT_GT(clear, 0) << static_cast<int>(p) << " at " << size;
      EXPECT_LT(alpha_disabled, alpha_normal * 6 / 10);
    }
  }
}

}  // namespace
}  // namespace lumadir::testing
