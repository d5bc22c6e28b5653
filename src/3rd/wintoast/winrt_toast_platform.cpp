// Toasts through the Windows Runtime: the XML is loaded into an XmlDocument,
// made into a ToastNotification with its three event handlers, and shown by
// the notifier of the AUMID. Every function comes from toastSystem(), so a
// system without the Runtime answers with an error instead of not starting.
#include "3rd/wintoast/toast_platform.h"

#include "3rd/wintoast/winrt_abi.h"
#include "3rd/wintoast/wintoastlib.h"
#include "core/owners.h"

#include <atomic>
#include <map>
#include <mutex>

namespace WinToastLib {

namespace {

using namespace Abi;
using vemo::ComPtr;

// A Runtime string over a wide text that outlives it.
class StringReference {
public:
  explicit StringReference(const std::wstring& text) {
    const ToastSystem& system = toastSystem();
    if (FAILED(system.windowsCreateStringReference(text.c_str(), static_cast<UINT32>(text.size()), &header_,
                                                   &string_)))
      string_ = nullptr;
  }
  HSTRING get() const { return string_; }

private:
  HStringHeader header_ = {};
  HSTRING string_ = nullptr;
};

template <class T>
HRESULT getFactory(const wchar_t* class_name, const IID& iid, ComPtr<T>& factory) {
  StringReference name(class_name);
  if (!name.get()) return E_FAIL;
  T* raw = nullptr;
  HRESULT result = toastSystem().roGetActivationFactory(name.get(), iid, reinterpret_cast<void**>(&raw));
  factory.reset(SUCCEEDED(result) ? raw : nullptr);
  return result;
}

template <class T>
HRESULT queryInterface(IUnknown* from, const IID& iid, ComPtr<T>& to) {
  T* raw = nullptr;
  HRESULT result = from->QueryInterface(iid, reinterpret_cast<void**>(&raw));
  to.reset(SUCCEEDED(result) ? raw : nullptr);
  return result;
}

// Reference counting shared by the small objects handed to the Runtime.
template <class Interface>
class RefCounted : public Interface {
public:
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

protected:
  virtual ~RefCounted() = default;

private:
  std::atomic<ULONG> references_{1};
};

// The expiration time: now plus the expiration, in FILETIME units.
class InternalDateTime final : public RefCounted<DateTimeReference> {
public:
  explicit InternalDateTime(int64_t expiration_ms) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    value_ = ((static_cast<int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) + expiration_ms * 10000;
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == kIidInspectable || iid == kIidDateTimeReference || iid == kIidAgileObject) {
      AddRef();
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE GetIids(ULONG* count, IID** iids) override {
    *count = 0;
    *iids = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING* name) override {
    *name = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetTrustLevel(int* level) override {
    *level = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Value(int64_t* value) override {
    *value = value_;
    return S_OK;
  }

private:
  int64_t value_;
};

enum class EventKind { kActivated, kDismissed, kFailed };

// One delegate per event; it holds the events object, never throws.
class EventHandler final : public RefCounted<TypedEventHandler> {
public:
  EventHandler(EventKind kind, std::shared_ptr<ToastEvents> events) : kind_(kind), events_(std::move(events)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    const IID& own = kind_ == EventKind::kActivated   ? kIidActivatedHandler
                     : kind_ == EventKind::kDismissed ? kIidDismissedHandler
                                                      : kIidFailedHandler;
    if (iid == IID_IUnknown || iid == own || iid == kIidAgileObject) {
      AddRef();
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT STDMETHODCALLTYPE Invoke(ToastNotification*, Inspectable* arguments) override {
    try {
      switch (kind_) {
        case EventKind::kActivated: activated(arguments); break;
        case EventKind::kDismissed: dismissed(arguments); break;
        case EventKind::kFailed: events_->failed(); break;
      }
    } catch (...) {
      // Out of memory on the way to Lua: the event is lost, the system's thread is not.
    }
    return S_OK;
  }

private:
  void activated(Inspectable* arguments) {
    ComPtr<ToastActivatedEventArgs> activation;
    HSTRING text = nullptr;
    if (arguments && SUCCEEDED(queryInterface(arguments, kIidToastActivatedEventArgs, activation)) &&
        SUCCEEDED(activation->get_Arguments(&text))) {
      const ToastSystem& system = toastSystem();
      UINT32 length = 0;
      PCWSTR raw = system.windowsGetStringRawBuffer(text, &length);
      std::wstring read = raw ? std::wstring(raw, length) : std::wstring();
      system.windowsDeleteString(text);
      events_->activated(&read);
      return;
    }
    events_->activated(nullptr);
  }

  void dismissed(Inspectable* arguments) {
    ComPtr<ToastDismissedEventArgs> dismissal;
    int reason = 0;
    if (arguments && SUCCEEDED(queryInterface(arguments, kIidToastDismissedEventArgs, dismissal)))
      dismissal->get_Reason(&reason);
    events_->dismissed(reason);
  }

  EventKind kind_;
  std::shared_ptr<ToastEvents> events_;
};

struct ShownToast {
  ComPtr<ToastNotifier> notifier;
  ComPtr<ToastNotification> notification;
  EventToken activated{}, dismissed{}, failed{};
};

class WinRtToastPlatform final : public ToastPlatform {
public:
  int show(const std::wstring& aumid, int64_t id, const std::wstring& xml, int64_t expiration_ms,
           std::shared_ptr<ToastEvents> events) override {
    if (!toastSystem().compatible()) return NotDisplayed;
    ComPtr<ToastNotificationManagerStatics> manager;
    ComPtr<ToastNotificationFactory> factory;
    ComPtr<ActivationFactory> documents;
    auto toast = std::make_unique<ShownToast>();
    StringReference aumid_text(aumid);
    if (FAILED(getFactory(L"Windows.UI.Notifications.ToastNotificationManager", kIidToastNotificationManagerStatics,
                          manager)) ||
        FAILED(getFactory(L"Windows.UI.Notifications.ToastNotification", kIidToastNotificationFactory, factory)) ||
        FAILED(getFactory(L"Windows.Data.Xml.Dom.XmlDocument", kIidActivationFactory, documents)))
      return NotDisplayed;
    ToastNotifier* notifier = nullptr;
    if (FAILED(manager->CreateToastNotifierWithId(aumid_text.get(), &notifier))) return NotDisplayed;
    toast->notifier.reset(notifier);

    Inspectable* document_object = nullptr;
    if (FAILED(documents->ActivateInstance(&document_object))) return NotDisplayed;
    ComPtr<Inspectable> document_owner(document_object);
    ComPtr<XmlDocumentIO> loader;
    ComPtr<XmlDocument> document;
    StringReference xml_text(xml);
    if (FAILED(queryInterface(document_object, kIidXmlDocumentIO, loader)) || FAILED(loader->LoadXml(xml_text.get())) ||
        FAILED(queryInterface(document_object, kIidXmlDocument, document)))
      return NotDisplayed;
    ToastNotification* notification = nullptr;
    if (FAILED(factory->CreateToastNotification(document.get(), &notification))) return NotDisplayed;
    toast->notification.reset(notification);
    if (expiration_ms > 0) {
      ComPtr<InternalDateTime> expires(new InternalDateTime(expiration_ms));
      notification->put_ExpirationTime(expires.get());
    }

    ComPtr<EventHandler> on_activated(new EventHandler(EventKind::kActivated, events));
    ComPtr<EventHandler> on_dismissed(new EventHandler(EventKind::kDismissed, events));
    ComPtr<EventHandler> on_failed(new EventHandler(EventKind::kFailed, events));
    if (FAILED(notification->add_Activated(on_activated.get(), &toast->activated)) ||
        FAILED(notification->add_Dismissed(on_dismissed.get(), &toast->dismissed)) ||
        FAILED(notification->add_Failed(on_failed.get(), &toast->failed)))
      return InvalidHandler;

    ToastNotification* shown = notification;
    {
      std::lock_guard<std::mutex> guard(lock_);
      toasts_[id] = std::move(toast);
    }
    if (FAILED(notifier->Show(shown))) {
      forget(id);
      return NotDisplayed;
    }
    return NoError;
  }

  bool hide(int64_t id, HRESULT* error) override {
    std::lock_guard<std::mutex> guard(lock_);
    auto found = toasts_.find(id);
    if (found == toasts_.end() || !found->second->notifier) return false;
    HRESULT result = found->second->notifier->Hide(found->second->notification.get());
    if (error) *error = result;
    return SUCCEEDED(result);
  }

  void forget(int64_t id) override {
    std::unique_ptr<ShownToast> toast;
    {
      std::lock_guard<std::mutex> guard(lock_);
      auto found = toasts_.find(id);
      if (found == toasts_.end()) return;
      toast = std::move(found->second);
      toasts_.erase(found);
    }
    toast->notification->remove_Activated(toast->activated);
    toast->notification->remove_Dismissed(toast->dismissed);
    toast->notification->remove_Failed(toast->failed);
  }

private:
  std::mutex lock_;
  std::map<int64_t, std::unique_ptr<ShownToast>> toasts_;  // guarded by lock_
};

}  // namespace

std::shared_ptr<ToastPlatform> makeWinRtToastPlatform() { return std::make_shared<WinRtToastPlatform>(); }

}  // namespace WinToastLib
