#include "window_kit/browser_host.h"

#include <mshtmdid.h>

#include <new>

namespace lumadir {

namespace {

// A listing needs nothing active to be read, and what it holds comes partly
// from format.xml, which anyone may edit: whatever script, applet or control
// ends up in it must not run in the preview. Pictures stay, for backgrounds.
constexpr LONG download_control = DLCTL_DLIMAGES | DLCTL_NO_SCRIPTS | DLCTL_NO_JAVA |
                                  DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_DLACTIVEXCTLS;

}  // namespace

// Both sites share the container's count; the container goes when it drops to 0.
class browser_container : public IUnknown {
 public:
  explicit browser_container(HWND parent)
      : client_(this), in_place_(this, parent), ambient_(this) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown))
      *out = static_cast<IUnknown*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceSite))
      *out = static_cast<IOleInPlaceSite*>(&in_place_);
    else if (IsEqualIID(riid, IID_IOleClientSite))
      *out = static_cast<IOleClientSite*>(&client_);
    else if (IsEqualIID(riid, IID_IDispatch))
      *out = static_cast<IDispatch*>(&ambient_);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++count_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long left = --count_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  class client_site : public IOleClientSite {
   public:
    explicit client_site(browser_container* owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
      return owner_->QueryInterface(riid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
      if (moniker) *moniker = nullptr;
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
      if (container) *container = nullptr;
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

   private:
    browser_container* owner_;
  };

  class in_place_site : public IOleInPlaceSite {
   public:
    in_place_site(browser_container* owner, HWND parent) : owner_(owner), parent_(parent) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
      return owner_->QueryInterface(riid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
      if (!window) return E_POINTER;
      *window = parent_;
      return parent_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document, RECT* position,
                                               RECT* clip, OLEINPLACEFRAMEINFO*) override {
      // There is no frame or document window; saying so is safer than leaving
      // the caller's pointers as they came.
      if (frame) *frame = nullptr;
      if (document) *document = nullptr;
      RECT client = {0, 0, 0, 0};
      if (parent_) GetClientRect(parent_, &client);
      if (position) *position = client;
      if (clip) *clip = client;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
      object_.reset();
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override {
      if (object_ && parent_) object_->SetObjectRects(position, position);
      return S_OK;
    }

    void set_object(IOleInPlaceObject* object) {
      if (object) object->AddRef();
      object_ = com_ptr<IOleInPlaceObject>(object);
    }

   private:
    browser_container* owner_;
    HWND parent_;
    com_ptr<IOleInPlaceObject> object_;
  };

  // The control asks the client site's IDispatch for its ambient properties;
  // the one that matters is what it may download and run.
  class ambient_properties : public IDispatch {
   public:
    explicit ambient_properties(browser_container* owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
      return owner_->QueryInterface(riid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
      if (!count) return E_POINTER;
      *count = 0;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
      if (info) *info = nullptr;
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS*,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
      if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
      // Every other ambient property keeps the control's own default.
      if (member != DISPID_AMBIENT_DLCONTROL) return DISP_E_MEMBERNOTFOUND;
      if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
      if (!result) return E_POINTER;
      VariantInit(result);
      V_VT(result) = VT_I4;
      V_I4(result) = download_control;
      return S_OK;
    }

   private:
    browser_container* owner_;
  };

  client_site client_;
  in_place_site in_place_;
  ambient_properties ambient_;

 private:
  virtual ~browser_container() = default;
  long count_ = 1;
};

browser_container* make_browser_container(HWND parent) noexcept {
  return new (std::nothrow) browser_container(parent);
}

IOleClientSite* client_site_of(browser_container* container) noexcept {
  return container ? &container->client_ : nullptr;
}

IOleInPlaceSite* in_place_site_of(browser_container* container) noexcept {
  return container ? &container->in_place_ : nullptr;
}

void set_in_place_object(browser_container* container, IOleInPlaceObject* object) noexcept {
  if (container) container->in_place_.set_object(object);
}

IUnknown* unknown_of(browser_container* container) noexcept {
  return container;
}

browser_host::browser_host() noexcept = default;

browser_host::~browser_host() {
  destroy();
}

bool browser_host::create(HWND parent) noexcept {
  parent_ = parent;
  if (FAILED(OleInitialize(nullptr))) return false;
  ole_ready_ = true;
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr,
                              CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IWebBrowser2,
                              browser_.put_void())) ||
      !browser_)
    return false;
  browser_->put_Visible(visible_ ? VARIANT_TRUE : VARIANT_FALSE);

  const com_ptr<IOleInPlaceObject> in_place = browser_.query<IOleInPlaceObject>();
  if (!in_place) return false;
  container_ = com_ptr<browser_container>(make_browser_container(parent));
  if (!container_) return false;
  set_in_place_object(container_.get(), in_place.get());

  const com_ptr<IOleObject> object = browser_.query<IOleObject>();
  if (!object) return false;
  object->SetClientSite(client_site_of(container_.get()));
  RECT client;
  GetClientRect(parent, &client);
  const HRESULT activated = object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                                           client_site_of(container_.get()), 0, parent, &client);
  return SUCCEEDED(activated);
}

void browser_host::set_visible(bool visible) noexcept {
  visible_ = visible;
  if (browser_) browser_->put_Visible(visible ? VARIANT_TRUE : VARIANT_FALSE);
}

bool browser_host::navigate(const char* path) noexcept {
  if (!browser_ || !path) return false;
  const int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (length <= 0) return false;
  BSTR address = SysAllocStringLen(nullptr, static_cast<UINT>(length - 1));
  if (!address) return false;
  MultiByteToWideChar(CP_ACP, 0, path, -1, address, length);
  VARIANT none;
  VariantInit(&none);
  const HRESULT result = browser_->Navigate(address, &none, &none, &none, &none);
  SysFreeString(address);
  return SUCCEEDED(result);
}

void browser_host::resize(int32_t width, int32_t height) noexcept {
  if (!browser_) return;
  if (SUCCEEDED(browser_->put_Width(width))) browser_->put_Height(height);
}

bool browser_host::print() noexcept {
  if (!browser_) return false;
  com_ptr<IDispatch> document;
  if (FAILED(browser_->get_Document(document.put())) || !document) return false;
  const com_ptr<IOleCommandTarget> target = document.query<IOleCommandTarget>();
  if (!target) return false;
  const HRESULT printed =
      target->Exec(nullptr, OLECMDID_PRINT, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
  return SUCCEEDED(printed);
}

void browser_host::destroy() noexcept {
  if (container_) {
    // The control lets go of its sites before the container goes.
    if (const com_ptr<IOleObject> object = browser_.query<IOleObject>()) {
      object->Close(OLECLOSE_NOSAVE);
      object->SetClientSite(nullptr);
    }
    container_.reset();
  }
  browser_.reset();
  if (ole_ready_) {
    OleUninitialize();
    ole_ready_ = false;
  }
}

}  // namespace lumadir
