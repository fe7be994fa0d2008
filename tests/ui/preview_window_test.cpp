// The preview window and its browser host. Under Wine without Gecko the
// browser control is created, activated and navigated, but never holds a
// document: what needs one (rendering, printing) is checked on Windows.
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
#include <mshtmdid.h>
#include <olectl.h>

#include <functional>
#include <thread>

#include "tests/ui/ui_fixture.h"
#include "ui/preview_window.h"

namespace lumadir::testing {
namespace {

// An in-place object that counts what the site asks of it.
class fake_in_place_object : public IOleInPlaceObject {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override {
    last_position = *position;
    last_clip = *clip;
    ++rect_calls;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return S_OK; }
  long references = 1;
  int rect_calls = 0;
  RECT last_position = {}, last_clip = {};
};

TEST(BrowserContainer, AnswersAsItsTwoSitesWithTheirFixedResults) {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 10, 20, 300, 200, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  browser_container* container = make_browser_container(parent);
  ASSERT_NE(container, nullptr);
  IUnknown* unknown = unknown_of(container);
  IOleClientSite* client = client_site_of(container);
  IOleInPlaceSite* site = in_place_site_of(container);

  void* out = nullptr;
  EXPECT_EQ(unknown->QueryInterface(IID_IUnknown, &out), S_OK);
  EXPECT_EQ(out, unknown);
  EXPECT_EQ(client->QueryInterface(IID_IOleInPlaceSite, &out), S_OK);
  EXPECT_EQ(out, site);
  EXPECT_EQ(site->QueryInterface(IID_IOleClientSite, &out), S_OK);
  EXPECT_EQ(out, client);
  EXPECT_EQ(site->QueryInterface(IID_IOleInPlaceFrame, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  // Three interfaces handed out above, each with a reference, on top of the first.
  EXPECT_EQ(unknown->Release(), 3u);
  EXPECT_EQ(client->Release(), 2u);
  EXPECT_EQ(site->Release(), 1u);

  EXPECT_EQ(client->SaveObject(), S_OK);
  IMoniker* moniker = reinterpret_cast<IMoniker*>(1);
  EXPECT_EQ(client->GetMoniker(0, 0, &moniker), E_NOTIMPL);
  EXPECT_EQ(moniker, nullptr);
  IOleContainer* outer = reinterpret_cast<IOleContainer*>(1);
  EXPECT_EQ(client->GetContainer(&outer), E_NOTIMPL);
  EXPECT_EQ(outer, nullptr);
  EXPECT_EQ(client->ShowObject(), S_OK);
  EXPECT_EQ(client->OnShowWindow(TRUE), S_OK);
  EXPECT_EQ(client->RequestNewObjectLayout(), E_NOTIMPL);

  HWND window = nullptr;
  EXPECT_EQ(site->GetWindow(&window), S_OK);
  EXPECT_EQ(window, parent);
  EXPECT_EQ(site->ContextSensitiveHelp(TRUE), E_UNEXPECTED);
  EXPECT_EQ(site->CanInPlaceActivate(), S_OK);
  EXPECT_EQ(site->OnInPlaceActivate(), S_OK);
  EXPECT_EQ(site->OnUIActivate(), S_OK);
  IOleInPlaceFrame* frame = reinterpret_cast<IOleInPlaceFrame*>(1);
  IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(1);
  RECT position = {}, clip = {};
  OLEINPLACEFRAMEINFO info = {};
  EXPECT_EQ(site->GetWindowContext(&frame, &document, &position, &clip, &info), S_OK);
  EXPECT_EQ(frame, nullptr);
  EXPECT_EQ(document, nullptr);
  EXPECT_EQ(position.right, 300);
  EXPECT_EQ(position.bottom, 200);
  EXPECT_TRUE(EqualRect(&position, &clip));
  EXPECT_EQ(site->Scroll(SIZE{1, 1}), S_OK);
  EXPECT_EQ(site->OnUIDeactivate(FALSE), S_OK);
  EXPECT_EQ(site->DiscardUndoState(), S_OK);
  EXPECT_EQ(site->DeactivateAndUndo(), S_OK);

  // The control's in-place object gets the new rectangles, until it is let go.
  fake_in_place_object object;
  set_in_place_object(container, &object);
  EXPECT_EQ(object.references, 2);
  RECT moved = {5, 6, 70, 80};
  EXPECT_EQ(site->OnPosRectChange(&moved), S_OK);
  EXPECT_EQ(object.rect_calls, 1);
  EXPECT_TRUE(EqualRect(&object.last_position, &moved));
  EXPECT_TRUE(EqualRect(&object.last_clip, &moved));
  EXPECT_EQ(site->OnInPlaceDeactivate(), S_OK);
  EXPECT_EQ(object.references, 1);
  EXPECT_EQ(site->OnPosRectChange(&moved), S_OK);
  EXPECT_EQ(object.rect_calls, 1);
  EXPECT_EQ(unknown->Release(), 0u);

  // Without a window there is nothing to give.
  browser_container* lonely = make_browser_container(nullptr);
  EXPECT_EQ(in_place_site_of(lonely)->GetWindow(&window), E_FAIL);
  unknown_of(lonely)->Release();
  DestroyWindow(parent);
}

// Reads one ambient property as the control does: through the IDispatch of
// the site it was given.
HRESULT ambient_property(IUnknown* site, DISPID member, VARIANT& value) {
  IDispatch* ambient = nullptr;
  const HRESULT asked = site->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient));
  if (FAILED(asked)) return asked;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VariantInit(&value);
  const HRESULT answered = ambient->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT,
                                           DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
  ambient->Release();
  return answered;
}

// Nothing active runs in a listing; pictures still load.
void expect_safe_download_control(IUnknown* site) {
  VARIANT value;
  ASSERT_EQ(ambient_property(site, DISPID_AMBIENT_DLCONTROL, value), S_OK);
  ASSERT_EQ(V_VT(&value), VT_I4);
  const LONG flags = V_I4(&value);
  for (LONG bit : {DLCTL_NO_SCRIPTS, DLCTL_NO_JAVA, DLCTL_NO_RUNACTIVEXCTLS, DLCTL_NO_DLACTIVEXCTLS,
                   DLCTL_DLIMAGES})
    EXPECT_EQ(flags & bit, bit) << std::hex << bit;
}

TEST(BrowserContainer, AnswersTheDownloadControlAmbientPropertyAndNoOther) {
  browser_container* container = make_browser_container(nullptr);
  ASSERT_NE(container, nullptr);
  IOleClientSite* client = client_site_of(container);
  expect_safe_download_control(client);
  // The same object whichever site is asked.
  expect_safe_download_control(in_place_site_of(container));

  VARIANT value;
  EXPECT_EQ(ambient_property(client, DISPID_AMBIENT_USERMODE, value), DISP_E_MEMBERNOTFOUND);
  IDispatch* ambient = nullptr;
  ASSERT_EQ(client->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient)), S_OK);
  UINT count = 5;
  EXPECT_EQ(ambient->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 0u);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  // Only a read of the property is answered, and only through IID_NULL.
  EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, LOCALE_USER_DEFAULT,
                            DISPATCH_PROPERTYPUT, &none, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_DLCONTROL, IID_IUnknown, LOCALE_USER_DEFAULT,
                            DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);
  EXPECT_EQ(ambient->Release(), 1u);
  EXPECT_EQ(unknown_of(container)->Release(), 0u);
}

class PreviewWindow : public ui_test {
 protected:
  void SetUp() override {
    ui_test::SetUp();
    if (HasFatalFailure()) return;
    open_main_window();
    ASSERT_TRUE(preview.create(window.get()));
    preview.set_phrases(&language);
    preview.localize();
    preview.set_settings(window->settings());
    window->set_viewer(&preview);
  }
  void TearDown() override {
    window->set_viewer(nullptr);
    ui_test::TearDown();
  }
  // A finished preview file, as a run leaves it.
  std::string finished_preview() {
    const std::filesystem::path file = scratch / "1.html";
    write_text(file, "<html><body>listing</body></html>");
    window->settings()->result_file = file.string().c_str();
    return file.string();
  }
  TForm2 preview;
};

TEST_F(PreviewWindow, HoldsTheBrowserWhichNavigatesResizesAndFailsToPrintQuietly) {
  ASSERT_TRUE(preview.has_browser()) << "Wine creates the WebBrowser control without Gecko";
  char text[64];
  GetWindowTextA(preview.control(id_preview_SpeedButton1), text, sizeof text);
  EXPECT_EQ(std::string(text), phrase(49));
  EXPECT_EQ(GetWindowContextHelpId(preview.handle()), 6u);
  EXPECT_TRUE(preview.browser()->navigate(finished_preview().c_str()));
  EXPECT_FALSE(preview.browser()->print());  // no document without Gecko
  EXPECT_TRUE(boxes.empty());

  // The control follows the window's size, below the toolbar.
  SetWindowPos(preview.handle(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
  RECT panel;
  GetClientRect(preview.panel(), &panel);
  long width = 0, height = 0;
  preview.browser()->browser()->get_Width(&width);
  preview.browser()->browser()->get_Height(&height);
  EXPECT_EQ(width, panel.right);
  EXPECT_EQ(height, panel.bottom);
  RECT client;
  GetClientRect(preview.handle(), &client);
  EXPECT_EQ(panel.right, client.right);
  EXPECT_EQ(panel.bottom, client.bottom - scale_of(preview.handle())(41));

  // The control was given the site that keeps scripts and controls from running.
  IOleObject* object = nullptr;
  ASSERT_EQ(preview.browser()->browser()->QueryInterface(IID_IOleObject,
                                                         reinterpret_cast<void**>(&object)),
            S_OK);
  IOleClientSite* site = nullptr;
  EXPECT_EQ(object->GetClientSite(&site), S_OK);
  object->Release();
  ASSERT_NE(site, nullptr);
  expect_safe_download_control(site);
  site->Release();
}

TEST_F(PreviewWindow, RestoresItsPlacementWithinTheWorkArea) {
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  listing_settings& s = *window->settings();
  const auto placed = [&] {
    RECT r;
    GetWindowRect(preview.handle(), &r);
    return r;
  };
  // Nothing stored: the whole work area from its corner, and stored so.
  s.preview_width = s.preview_height = 0;
  preview.restore_geometry();
  RECT r = placed();
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, work.right);
  EXPECT_EQ(r.bottom - r.top, work.bottom);
  EXPECT_EQ(s.preview_width, work.right);
  EXPECT_EQ(s.preview_height, work.bottom);

  s.preview_width = work.right + 1;
  s.preview_height = 300;
  s.preview_left = 40;
  preview.restore_geometry();
  EXPECT_EQ(s.preview_width, work.right);
  EXPECT_EQ(s.preview_left, 0);

  s.preview_width = 400;
  s.preview_height = 300;
  s.preview_left = 30;
  s.preview_top = 20;
  preview.restore_geometry();
  r = placed();
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right - r.left, 400);
  EXPECT_EQ(r.bottom - r.top, 300);
  // And the main window writes where the preview stands.
  SetWindowPos(preview.handle(), nullptr, 50, 60, 410, 310, SWP_NOZORDER);
  window->save_settings();
  const std::string written = read_text(settings_path);
  EXPECT_NE(written.find("<preview_width>410</preview_width>"), std::string::npos);
  EXPECT_NE(written.find("<preview_top>60</preview_top>"), std::string::npos);
}

TEST_F(PreviewWindow, APlacementOnNoScreenOpensCentredOnTheMainWindowsScreen) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(main(), MONITOR_DEFAULTTOPRIMARY), &info));
  const RECT work = info.rcWork;
  const LONG work_width = work.right - work.left, work_height = work.bottom - work.top;
  listing_settings& s = *window->settings();
  const auto placed = [&] {
    RECT r;
    GetWindowRect(preview.handle(), &r);
    return r;
  };
  const struct {
    int32_t left, top;
    const char* what;
  } nowhere[] = {
      {-32000, -32000, "saved while minimised"},
      {work.right + 3000, work.top + 40, "on a screen since unplugged"},
      {work.left + 40, -20000, "far above"},
      {INT32_MAX - 10, INT32_MAX - 10, "beyond any screen's numbers"},
  };
  for (const auto& place : nowhere) {
    s.preview_width = 400;
    s.preview_height = 300;
    s.preview_left = place.left;
    s.preview_top = place.top;
    preview.restore_geometry();
    const RECT r = placed();
    EXPECT_EQ(r.right - r.left, 400) << place.what;
    EXPECT_EQ(r.bottom - r.top, 300) << place.what;
    EXPECT_EQ(r.left, work.left + (work_width - 400) / 2) << place.what;
    EXPECT_EQ(r.top, work.top + (work_height - 300) / 2) << place.what;
    EXPECT_EQ(s.preview_left, r.left) << place.what;
    EXPECT_EQ(s.preview_top, r.top) << place.what;
  }
  // Too large for that screen: all of its work area.
  s.preview_width = work_width + 100;
  s.preview_height = 300;
  s.preview_left = s.preview_top = -32000;
  preview.restore_geometry();
  RECT r = placed();
  EXPECT_TRUE(EqualRect(&r, &work));
  // A window partly on the screen stays where the user left it.
  s.preview_width = 400;
  s.preview_height = 300;
  s.preview_left = work.right - 50;
  s.preview_top = work.top + 10;
  preview.restore_geometry();
  r = placed();
  EXPECT_EQ(r.left, work.right - 50);
  EXPECT_EQ(r.top, work.top + 10);
}

TEST_F(PreviewWindow, ClosedWhileMinimisedItKeepsItsNormalPlacement) {
  SetWindowPos(preview.handle(), nullptr, 50, 60, 410, 310, SWP_NOZORDER);
  ShowWindow(preview.handle(), SW_SHOWNOACTIVATE);
  ShowWindow(preview.handle(), SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(preview.handle()));
  SendMessageA(preview.handle(), WM_CLOSE, 0, 0);
  ASSERT_FALSE(IsWindowVisible(preview.handle()));
  window->save_settings();
  const std::string written = read_text(settings_path);
  EXPECT_NE(written.find("<preview_left>50</preview_left>"), std::string::npos);
  EXPECT_NE(written.find("<preview_top>60</preview_top>"), std::string::npos);
  EXPECT_NE(written.find("<preview_width>410</preview_width>"), std::string::npos);
  EXPECT_NE(written.find("<preview_height>310</preview_height>"), std::string::npos);
}

TEST_F(PreviewWindow, ShowsTheListingModallyAndClosingDeletesIt) {
  const std::string file = finished_preview();
  window->settings()->enable_internal_viewer = 1;
  // The close waits in the queue for the window's own loop.
  PostMessageA(preview.handle(), WM_CLOSE, 0, 0);
  preview.show_listing();
  EXPECT_FALSE(IsWindowVisible(preview.handle()));
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_STREQ(window->settings()->result_file.c_str(), "");
  EXPECT_TRUE(opened.empty());

  // With the internal viewer off the system's browser gets the file, which stays.
  const std::string second = finished_preview();
  window->settings()->enable_internal_viewer = 0;
  preview.show_listing();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], second);
  EXPECT_TRUE(std::filesystem::exists(second));
  EXPECT_FALSE(IsWindowVisible(preview.handle()));
}

// From another thread: waits for the preview, presses its Save as, and answers
// the save dialog with `name`.
void save_from_preview(HWND preview, std::string name) {
  for (int i = 0; i < 400 && !IsWindowVisible(preview); ++i) Sleep(10);
  PostMessageA(preview, WM_COMMAND, MAKEWPARAM(id_preview_SpeedButton3, BN_CLICKED), 0);
  for (int i = 0; i < 800; ++i) {
    HWND dialog = FindWindowA("#32770", "Save listing file as");
    if (dialog) {
      HWND box = GetDlgItem(dialog, cmb13);
      if (!box) box = GetDlgItem(dialog, edt1);
      SetWindowTextA(box, name.c_str());
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      // A file of that name: the dialog asks before it lets it be replaced.
      bool asked = false;
      for (int j = 0; j < 250 && IsWindow(dialog); ++j) {
        Sleep(20);
        HWND question = FindWindowA("#32770", nullptr);
        if (!asked && question && question != dialog && IsWindowVisible(question)) {
          PostMessageA(question, WM_COMMAND, IDYES, 0);
          asked = true;
        }
      }
      return;
    }
    Sleep(25);
  }
}

TEST_F(PreviewWindow, SavingFromThePreviewCopiesTheListingAndTheMainWindowSaysWhere) {
  write_text(scratch / "tree" / "a.txt", "a");
  std::filesystem::create_directories(scratch / "out");
  write_text(scratch / "out" / "kept.html", "an older file of that name");
  window->settings()->enable_internal_viewer = 1;
  window->settings()->save_as_path = (scratch / "out" / "old.html").string().c_str();
  type_folder(scratch / "tree");
  const std::string target = (scratch / "out" / "kept.html").string();
  std::thread user(save_from_preview, preview.handle(), target);
  click(id_Preview1);
  ASSERT_TRUE(pump_until([&] { return run_ended(); }));
  user.join();
  // The copy replaced the older file (the dialog asked about that itself).
  EXPECT_NE(read_text(target).find("a.txt"), std::string::npos);
  EXPECT_EQ(window->settings()->action, 2);
  EXPECT_STREQ(window->settings()->result_file.c_str(), "");
  EXPECT_EQ(status(), phrase(17) + target);
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(IsWindowVisible(preview.handle()));
}

// What the system says for an error, as a box shows it.
std::string system_reason(DWORD error) {
  wchar_t text[512] = {};
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                error, 0, text, 512, nullptr);
  while (length > 0 &&
         (text[length - 1] == L'\n' || text[length - 1] == L'\r' || text[length - 1] == L' '))
    --length;
  char out[1536] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out, sizeof out - 1, nullptr,
                      nullptr);
  return out;
}

// Presses Save as in the preview and answers with `target`, which the copy
// cannot replace; once the preview has finished with that (a message sent to
// it is taken only back in its loop), notes what it shows and closes it.
struct failed_save {
  bool still_open = false;
  bool listing_kept = false;
  void operator()(HWND preview, std::string target, std::string listing) {
    save_from_preview(preview, target);
    SendMessageTimeoutA(preview, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
    still_open = IsWindowVisible(preview);
    listing_kept = !listing.empty() && std::filesystem::exists(listing);
    PostMessageA(preview, WM_CLOSE, 0, 0);
  }
};

TEST_F(PreviewWindow, AFailedCopyKeepsTheListingOpenAndSaysWhy) {
  const std::string file = finished_preview();
  window->settings()->enable_internal_viewer = 1;
  window->settings()->result_code.store(run_result::done);
  window->settings()->action = 0;
  const std::string earlier = (scratch / "earlier" / "saved.html").string();
  window->settings()->save_as_path = earlier.c_str();
  // A file held open without sharing cannot be replaced.
  const std::filesystem::path locked = scratch / "locked.html";
  write_text(locked, "in use");
  HANDLE held =
      CreateFileA(locked.string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  failed_save user;
  std::thread pressing(std::ref(user), preview.handle(), locked.string(), file);
  preview.show_listing();
  pressing.join();
  CloseHandle(held);
  EXPECT_EQ(read_text(locked), "in use");
  EXPECT_TRUE(user.still_open);
  EXPECT_TRUE(user.listing_kept);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, phrase(22) + "\n\n" + system_reason(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(boxes[0].owner, preview.handle());
  EXPECT_EQ(boxes[0].kind, box_warning);
  // Nothing was saved, so nothing says so; closing deletes the listing as always.
  EXPECT_EQ(window->settings()->result_code.load(), run_result::done);
  EXPECT_EQ(window->settings()->action, 0);
  EXPECT_STREQ(window->settings()->save_as_path.c_str(), earlier.c_str());
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(IsWindowVisible(preview.handle()));
}

TEST_F(PreviewWindow, AFailedSaveFromThePreviewIsNotReportedAsSaved) {
  write_text(scratch / "tree" / "a.txt", "a");
  window->settings()->enable_internal_viewer = 1;
  type_folder(scratch / "tree");
  const std::filesystem::path locked = scratch / "locked.html";
  write_text(locked, "in use");
  HANDLE held =
      CreateFileA(locked.string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  failed_save user;
  std::thread pressing(std::ref(user), preview.handle(), locked.string(), std::string());
  click(id_Preview1);
  ASSERT_TRUE(pump_until([&] { return run_ended(); }));
  pressing.join();
  CloseHandle(held);
  EXPECT_TRUE(user.still_open);
  // The preview's own box and nothing more; the run itself went well.
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, preview.handle());
  EXPECT_EQ(status(), phrase(18));
  EXPECT_EQ(beeps, 0);
}

}  // namespace
}  // namespace lumadir::testing
