// What a screen reader reads of a picture box: an accessible chart named by the picture's
// caption whose value is the text the program gave it last. Everything else a client may ask
// (parent, navigation, hit testing, location, focus) is answered by the standard object that
// the system makes for the window. oleacc, oleaut32 and ole32 are loaded from the system
// folder on the first request, so that nothing is loaded while no client asks.

#include <windows.h>

#include <oleacc.h>

#include <string>

#include "platform/win32/gui_internal.h"
#include "platform/win32/win32_util.h"

namespace win32gui {

namespace {

struct AccessibilityApi {
  decltype(&::LresultFromObject) lresultFromObject = nullptr;
  decltype(&::CreateStdAccessibleObject) createStdAccessibleObject = nullptr;
  decltype(&::SysAllocString) sysAllocString = nullptr;
};

// Null routines when a DLL is missing. COM is entered on the GUI thread (the first request
// comes there), as a single-threaded apartment: calls from other processes then arrive
// through the message loop, on this thread.
const AccessibilityApi& Api() {
  static const AccessibilityApi api = [] {
    AccessibilityApi found;
    HMODULE ole32 = win32::LoadSystemLibrary(L"ole32.dll");
    using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
    if (auto coInitializeEx = win32::Routine<CoInitializeExFn>(ole32, "CoInitializeEx")) {
      coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // kept for the process's life
    }
    HMODULE oleacc = win32::LoadSystemLibrary(L"oleacc.dll");
    found.lresultFromObject =
        win32::Routine<decltype(found.lresultFromObject)>(oleacc, "LresultFromObject");
    found.createStdAccessibleObject = win32::Routine<decltype(found.createStdAccessibleObject)>(
        oleacc, "CreateStdAccessibleObject");
    found.sysAllocString = win32::Routine<decltype(found.sysAllocString)>(
        win32::LoadSystemLibrary(L"oleaut32.dll"), "SysAllocString");
    return found;
  }();
  return api;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

}  // namespace

// One reference is the picture's, until Disconnect; the others are clients'. All calls come on
// the GUI thread (see Api), so the fields need no lock.
class ChartObject final : public IAccessible {
 public:
  ChartObject(HWND window, const std::wstring* value, IAccessible* standard)
      : window_(window), value_(value), standard_(standard) {}
  ChartObject(const ChartObject&) = delete;
  ChartObject& operator=(const ChartObject&) = delete;

  // The picture is going: every later call but IUnknown's fails.
  void Disconnect() {
    window_ = nullptr;
    value_ = nullptr;
    if (standard_) standard_->Release();
    standard_ = nullptr;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // No type information: clients call IAccessible directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // The chart's own: name, value, role and state.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child)) return Forward(&IAccessible::get_accName, child, name);
    if (!name) return E_POINTER;
    *name = nullptr;
    if (!window_) return CO_E_OBJNOTCONNECTED;
    std::wstring caption(static_cast<std::size_t>(::GetWindowTextLengthW(window_)) + 1, L'\0');
    caption.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window_, caption.data(), static_cast<int>(caption.size()))));
    return Text(caption, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (!IsSelf(child)) return Forward(&IAccessible::get_accValue, child, value);
    if (!value) return E_POINTER;
    *value = nullptr;
    return value_ ? Text(*value_, value) : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child)) return Forward(&IAccessible::get_accRole, child, role);
    if (!role) return E_POINTER;
    role->vt = VT_EMPTY;
    if (!window_) return CO_E_OBJNOTCONNECTED;
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_CHART;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    const HRESULT hr = Forward(&IAccessible::get_accState, child, state);
    if (SUCCEEDED(hr) && IsSelf(child) && state->vt == VT_I4) state->lVal |= STATE_SYSTEM_READONLY;
    return hr;
  }

  // The standard object's.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return Forward(&IAccessible::get_accParent, parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    return Forward(&IAccessible::get_accChildCount, count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return Forward(&IAccessible::get_accChild, child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return Forward(&IAccessible::get_accDescription, child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
    return Forward(&IAccessible::get_accHelp, child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return Forward(&IAccessible::get_accHelpTopic, file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
    return Forward(&IAccessible::get_accKeyboardShortcut, child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return Forward(&IAccessible::get_accFocus, child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return Forward(&IAccessible::get_accSelection, children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override {
    return Forward(&IAccessible::get_accDefaultAction, child, text);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    return Forward(&IAccessible::accSelect, flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    return Forward(&IAccessible::accLocation, left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return Forward(&IAccessible::accNavigate, direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    return Forward(&IAccessible::accHitTest, x, y, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return Forward(&IAccessible::accDoDefaultAction, child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return Forward(&IAccessible::put_accName, child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return Forward(&IAccessible::put_accValue, child, value);
  }

 private:
  ~ChartObject() { Disconnect(); }

  template <typename Method, typename... Args>
  HRESULT Forward(Method method, Args... args) {
    return standard_ ? (standard_->*method)(args...) : CO_E_OBJNOTCONNECTED;
  }

  // An empty text is no text (S_FALSE), as the standard objects answer.
  static HRESULT Text(const std::wstring& text, BSTR* out) {
    if (text.empty()) return S_FALSE;
    *out = Api().sysAllocString(text.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  LONG references_ = 1;
  HWND window_;
  const std::wstring* value_;
  IAccessible* standard_;
};

LRESULT AnswerGetObject(HWND picture, WPARAM flags, LPARAM objectId, const std::wstring& value,
                        ChartObject*& object) {
  // The id is a DWORD: on 64-bit Windows lParam may carry it sign-extended or not.
  if (static_cast<LONG>(static_cast<DWORD>(objectId)) != OBJID_CLIENT) {
    return ::DefWindowProcW(picture, WM_GETOBJECT, flags, objectId);
  }
  const AccessibilityApi& api = Api();
  if (!api.lresultFromObject || !api.createStdAccessibleObject || !api.sysAllocString) {
    return ::DefWindowProcW(picture, WM_GETOBJECT, flags, objectId);
  }
  if (!object) {
    void* standard = nullptr;
    if (FAILED(api.createStdAccessibleObject(picture, OBJID_CLIENT, __uuidof(IAccessible),
                                             &standard)) ||
        !standard) {
      return ::DefWindowProcW(picture, WM_GETOBJECT, flags, objectId);
    }
    object = new ChartObject(picture, &value, static_cast<IAccessible*>(standard));
  }
  return api.lresultFromObject(__uuidof(IAccessible), flags, static_cast<IAccessible*>(object));
}

void DisconnectChart(ChartObject*& object) {
  if (!object) return;
  object->Disconnect();
  object->Release();
  object = nullptr;
}

}  // namespace win32gui
