// The window base on its own, without any window of the listing program: how
// an object finds its window, the one handling of a DPI change, and the
// helpers the windows share.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/phrase_table.h"
#include "window_kit/window_base.h"

namespace lumadir {
namespace {

int font_height(HFONT font) {
  LOGFONTW description = {};
  GetObjectW(font, sizeof description, &description);
  return description.lfHeight < 0 ? -description.lfHeight : description.lfHeight;
}

// A window that records what the base asks of it. A fixed one sizes its
// client area to 200 x 100 at 96 DPI when laid out.
class probe_window : public vexa_generic_ui_class {
 public:
  bool create(DWORD style) noexcept {
    fixed_ = !(style & WS_THICKFRAME);
    if (!create_window("LumadirKitProbe", style, WS_EX_CONTROLPARENT, nullptr, nullptr))
      return false;
    check_box_ = CreateWindowExA(0, "BUTTON", "", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 10, 10, handle_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(7)),
                                 GetModuleHandleA(nullptr), nullptr);
    scale_ = scale_of(handle_);
    apply_message_font();
    lay_out();
    return check_box_ != nullptr;
  }
  int32_t dpi() const { return scale_.dpi; }
  HFONT font() const { return message_font(); }
  std::vector<std::string> calls;
  int32_t messages = 0;

  // The protected helpers, for the tests.
  const char* phrase_of(int32_t id) const { return phrase(id); }
  std::string text(int32_t id) const { return text_of(id).c_str(); }
  bool is_on(int32_t id) const { return checked(id); }
  void turn(int32_t id, bool on) { set_checked(id, on); }

 protected:
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override {
    ++messages;
    if (message == WM_DPICHANGED) calls.push_back("handle_message WM_DPICHANGED");
    return default_handling(message, wparam, lparam);
  }
  void rescale() noexcept override {
    calls.push_back("rescale at " + std::to_string(scale_.dpi));
    font_height_at_rescale = font_height(message_font());
  }
  void lay_out() noexcept override {
    calls.push_back("lay_out at " + std::to_string(scale_.dpi));
    if (fixed_) fit_client_area(handle_, scale_, 200, 100);
  }

 public:
  int font_height_at_rescale = 0;

 private:
  HWND check_box_ = nullptr;
  bool fixed_ = true;
};

TEST(WindowBase, TheObjectIsBoundFromCreationToDestruction) {
  probe_window probe;
  ASSERT_TRUE(probe.create(WS_OVERLAPPED | WS_CAPTION));
  HWND window = probe.handle();
  EXPECT_EQ(reinterpret_cast<vexa_generic_ui_class*>(GetWindowLongPtrA(window, GWLP_USERDATA)),
            &probe);
  char caption[64] = {};
  GetWindowTextA(window, caption, sizeof caption);
  EXPECT_STREQ(caption, "Lumadir 2.0");

  const int32_t before = probe.messages;
  SendMessageA(window, WM_NULL, 0, 0);
  EXPECT_EQ(probe.messages, before + 1);
  DestroyWindow(window);
  EXPECT_EQ(probe.handle(), nullptr);
  EXPECT_FALSE(IsWindow(window));
}

TEST(WindowBase, ADpiChangeRescalesMovesAndLaysOutAFixedWindowOnce) {
  probe_window probe;
  ASSERT_TRUE(probe.create(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU));
  const int small_font = font_height(probe.font());
  ASSERT_GT(small_font, 0);
  probe.calls.clear();

  RECT suggested = {30, 40, 900, 800};
  SendMessageA(probe.handle(), WM_DPICHANGED, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  // The window's own message handler never sees it: the base handles it, and
  // the window only remakes what else depends on the DPI and lays out.
  EXPECT_EQ(probe.calls, (std::vector<std::string>{"rescale at 192", "lay_out at 192"}));
  EXPECT_EQ(probe.dpi(), 192);
  // The message font is new by the time the window rescales.
  EXPECT_GE(probe.font_height_at_rescale, small_font * 2 - 1);
  EXPECT_LE(probe.font_height_at_rescale, small_font * 2 + 1);
  EXPECT_EQ(font_height(probe.font()), probe.font_height_at_rescale);
  // Fixed size: at the suggested place, with its layout's size, not the suggested one.
  RECT outer, client;
  GetWindowRect(probe.handle(), &outer);
  GetClientRect(probe.handle(), &client);
  EXPECT_EQ(outer.left, 30);
  EXPECT_EQ(outer.top, 40);
  EXPECT_EQ(client.right, 400);
  EXPECT_EQ(client.bottom, 200);
  // The children have the new font.
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(probe.control(7), WM_GETFONT, 0, 0)),
            probe.font());
}

TEST(WindowBase, ASizableWindowTakesTheSuggestedRectangle) {
  probe_window probe;
  ASSERT_TRUE(probe.create(WS_OVERLAPPEDWINDOW));
  RECT suggested = {50, 60, 750, 560};
  SendMessageA(probe.handle(), WM_DPICHANGED, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(probe.dpi(), 144);
  RECT outer;
  GetWindowRect(probe.handle(), &outer);
  EXPECT_EQ(outer.left, 50);
  EXPECT_EQ(outer.top, 60);
  EXPECT_EQ(outer.right, 750);
  EXPECT_EQ(outer.bottom, 560);
}

TEST(WindowBase, ControlHelpersReadTextsChecksAndPhrases) {
  probe_window probe;
  ASSERT_TRUE(probe.create(WS_OVERLAPPED | WS_CAPTION));
  SetWindowTextW(probe.control(7), L"Gr\u00FC\u00DFe \u65E5\u672C");
  EXPECT_EQ(probe.text(7),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE6\x97\xA5\xE6\x9C\xAC");
  EXPECT_EQ(probe.text(99), "");  // no such control

  EXPECT_FALSE(probe.is_on(7));
  probe.turn(7, true);
  EXPECT_TRUE(probe.is_on(7));
  EXPECT_TRUE(is_checked(probe.control(7)));
  set_checked(probe.control(7), false);
  EXPECT_FALSE(probe.is_on(7));

  EXPECT_STREQ(probe.phrase_of(3), "");  // no phrases yet
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "lumadir-kit-phrases.xml";
  FILE* f = std::fopen(file.string().c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("<langs><lang short='en' full='English'><_3>Three</_3></lang></langs>", f);
  std::fclose(f);
  phrase_table phrases;
  variant error("");
  ASSERT_EQ(phrases.load(variant(file.string().c_str()), error), phrase_load::loaded);
  probe.set_phrases(&phrases);
  EXPECT_STREQ(probe.phrase_of(3), "Three");
  EXPECT_STREQ(probe.phrase_of(4), "");  // an id the language lacks
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
}

// A child window of another class of ours, bound the same way.
struct counter {
  int32_t calls = 0;
  HWND seen_at_create = nullptr;
};

LRESULT CALLBACK counter_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = bound_object<counter>(window, message, lparam);
  if (self && message == WM_NCCREATE) self->seen_at_create = window;
  if (self && message == WM_APP) ++self->calls;
  return DefWindowProcA(window, message, wparam, lparam);
}

TEST(WindowBase, AnyWindowOfOursFindsItsObjectFromTheCreateParameter) {
  ASSERT_TRUE(register_window_class("LumadirKitCounter", counter_procedure, nullptr));
  // Registering again finds the class.
  EXPECT_TRUE(register_window_class("LumadirKitCounter", counter_procedure, nullptr));
  counter first, second;
  HWND a = CreateWindowExA(0, "LumadirKitCounter", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), &first);
  HWND b = CreateWindowExA(0, "LumadirKitCounter", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), &second);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(first.seen_at_create, a);
  EXPECT_EQ(second.seen_at_create, b);
  SendMessageA(a, WM_APP, 0, 0);
  SendMessageA(b, WM_APP, 0, 0);
  SendMessageA(b, WM_APP, 0, 0);
  EXPECT_EQ(first.calls, 1);
  EXPECT_EQ(second.calls, 2);
  DestroyWindow(a);
  DestroyWindow(b);
}

}  // namespace
}  // namespace lumadir
