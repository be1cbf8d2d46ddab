#pragma once

// What the two kinds of accessible object of a window share: the window's client object and the
// object of one of its owner-drawn controls. This base holds the COM side (reference counting,
// an IDispatch with nothing to dispatch, the properties nothing here has) and every property
// that follows from the item a child id names; the portable decisions of `accessible_item` make
// the choices. The two kinds differ only in their parent, their children and their focus.

#include <windows.h>
#include <oleacc.h>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "ui/access/accessible_item.h"
#include "ui/access/accessible_window.h"

namespace borelu::ui {

// COM interfaces have no virtual destructor: an object deletes itself in Release, through its
// own virtual destructor, never through a pointer to its interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class AccessibleObject : public IAccessible {
 public:
  AccessibleObject(const AccessibleObject&) = delete;
  AccessibleObject& operator=(const AccessibleObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      delete this;
    }
    return left;
  }

  // IDispatch: clients call the interface itself; there is no type information to give.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) {
      return E_POINTER;
    }
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

  // IAccessible: what nothing here has.
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override { return no_text(help); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (file != nullptr) {
      *file = nullptr;
    }
    if (topic != nullptr) {
      *topic = 0;
    }
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
    return no_text(shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection == nullptr) {
      return E_POINTER;
    }
    VariantInit(selection);
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  // IAccessible: what follows from the item a child id names (accessible_object.cpp).
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;

 protected:
  // `control` 0 for the window's client, else the owner-drawn control's id. Starts with one
  // reference, which the maker hands on.
  AccessibleObject(std::shared_ptr<AccessibleWindow> access, int control)
      : access_(std::move(access)), control_(control) {}
  virtual ~AccessibleObject() = default;

  // What a VARIANT child id names from this object; nothing for one it does not know.
  [[nodiscard]] std::optional<ChildTarget> target_of(
      const VARIANT& child, const std::vector<AccessibleItem>& items) const;
  // The object of a listed control: its own, or the system's for a standard control.
  HRESULT control_object(const AccessibleItem& item, IDispatch** out) const;
  [[nodiscard]] HWND item_window(const AccessibleItem& item) const;

  const std::shared_ptr<AccessibleWindow> access_;
  const int control_;

 private:
  static HRESULT no_text(BSTR* out) {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }

  template <class Answer>
  HRESULT with_element(const VARIANT& child, Answer&& answer) const;
  HRESULT give_child(const std::vector<AccessibleItem>& items, std::size_t index,
                     VARIANT* out) const;
  [[nodiscard]] WindowFacts facts(const AccessibleItem* item) const;
  [[nodiscard]] RECT location(const AccessibleItem* item) const;

  std::atomic<ULONG> references_{1};
};

#pragma GCC diagnostic pop

// The two kinds, each made with one reference: the client's (accessible_window.cpp) and a
// control's (owner_drawn_control.cpp).
[[nodiscard]] AccessibleObject* new_client_object(std::shared_ptr<AccessibleWindow> access);
[[nodiscard]] AccessibleObject* new_control_object(std::shared_ptr<AccessibleWindow> access,
                                                   int control);

void set_i4(VARIANT* out, LONG value);
void set_dispatch(VARIANT* out, IDispatch* dispatch);

}  // namespace borelu::ui
