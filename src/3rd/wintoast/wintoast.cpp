#include "3rd/wintoast/wintoastlib.h"

#include "3rd/wintoast/toast_console.h"
#include "3rd/wintoast/toast_map.h"
#include "3rd/wintoast/toast_platform.h"
#include "3rd/wintoast/toast_system.h"
#include "3rd/wintoast/toast_xml.h"

#include <objbase.h>

#include <vector>

namespace WinToastLib {

namespace {

std::mutex g_platform_lock;
std::shared_ptr<ToastPlatform> g_platform;  // guarded by g_platform_lock

// Set while the calling thread's instance lives; trivially destructible,
// so it can still be read after the thread's objects are gone.
thread_local WinToast* t_alive = nullptr;

int64_t nowFileTime() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// Turns the platform's events into the handler's calls.
class HandlerEvents final : public ToastEvents {
public:
  HandlerEvents(std::shared_ptr<IWinToastHandler> handler, int64_t id, int64_t expires_at,
                std::weak_ptr<ToastMap> toasts)
      : handler_(std::move(handler)), id_(id), expires_at_(expires_at), toasts_(std::move(toasts)) {}

  void activated(const std::wstring* arguments) override {
    if (arguments && !arguments->empty())
      handler_->toastActivated(static_cast<int>(wcstol(arguments->c_str(), nullptr, 10)));
    else
      handler_->toastActivated();
    markForDeletion();
  }
  void dismissed(int reason) override {
    // The system reports an expired toast as cancelled by the user.
    if (reason == IWinToastHandler::UserCanceled && expires_at_ > 0 && nowFileTime() >= expires_at_)
      reason = IWinToastHandler::TimedOut;
    handler_->toastDismissed(reason);
    markForDeletion();
  }
  void failed() override {
    handler_->toastFailed();
    markForDeletion();
  }

private:
  void markForDeletion() {
    if (auto toasts = toasts_.lock()) toasts->markForDeletion(id_);
  }

  std::shared_ptr<IWinToastHandler> handler_;
  int64_t id_;
  int64_t expires_at_;  // FILETIME units; 0 for none
  std::weak_ptr<ToastMap> toasts_;
};

int64_t newToastId() {
  GUID guid = {};
  if (FAILED(CoCreateGuid(&guid))) return -1;
  return static_cast<int64_t>(static_cast<uint32_t>(guid.Data1));  // never negative
}

}  // namespace

void ToastMap::markForDeletion(int64_t id) {
  std::lock_guard<std::mutex> guard(lock);
  for (auto it = ready_for_deletion.begin(); it != ready_for_deletion.end();) {
    if (it->second) {
      if (platform) platform->forget(it->first);
      it = ready_for_deletion.erase(it);
    } else {
      ++it;
    }
  }
  auto found = ready_for_deletion.find(id);
  if (found != ready_for_deletion.end()) found->second = true;
}

void setToastPlatform(std::shared_ptr<ToastPlatform> platform) {
  std::lock_guard<std::mutex> guard(g_platform_lock);
  g_platform = std::move(platform);
}

std::shared_ptr<ToastPlatform> toastPlatform() {
  std::lock_guard<std::mutex> guard(g_platform_lock);
  if (!g_platform) g_platform = makeWinRtToastPlatform();
  return g_platform;
}

WinToast* WinToast::instance() {
  thread_local WinToast instance;
  t_alive = &instance;
  return &instance;
}

WinToast* WinToast::instanceIfAlive() { return t_alive; }

bool WinToast::isCompatible() { return toastSystem().compatible(); }

bool WinToast::isSupportingModernFeatures() { return toastSystem().modernFeatures(); }

void WinToast::setConsoleOutput(bool on) { setToastConsole(on); }

std::wstring WinToast::configureAUMI(const std::wstring& company, const std::wstring& product,
                                     const std::wstring& sub_product, const std::wstring& version) {
  std::wstring aumid = company + L"." + product;
  if (!sub_product.empty()) {
    aumid += L"." + sub_product;
    if (!version.empty()) aumid += L"." + version;
  }
  if (aumid.size() >= 128) toastConsole(L"Error: max size allowed for AUMI: 128 characters.");
  return aumid;
}

WinToast::WinToast() : toasts_(std::make_shared<ToastMap>()) {
  if (!isCompatible()) toastConsole(L"Warning: Your system is not compatible with this library ");
}

WinToast::~WinToast() {
  if (t_alive == this) t_alive = nullptr;
  clear();
}

void WinToast::setAppUserModelId(const std::wstring& aumid) {
  aumid_ = aumid;
  toastConsole(L"Default App User Model Id: " + aumid_);
}

bool WinToast::initialize(WinToastError* error) {
  WinToastError ignored;
  WinToastError& code = error ? *error : ignored;
  code = NoError;
  initialized_ = false;
  if (!isCompatible()) {
    code = SystemNotSupported;
    toastConsole(L"Error: system not supported.");
    return false;
  }
  if (app_name_.empty() || aumid_.empty()) {
    code = InvalidParameters;
    toastConsole(L"Error while initializing, did you set up a valid AUMI and App name?");
    return false;
  }
  if (FAILED(toastSystem().setCurrentProcessExplicitAppUserModelID(aumid_.c_str()))) {
    code = InvalidAppUserModelID;
    toastConsole(L"Error while attaching the AUMI to the current proccess =(");
    return false;
  }
  initialized_ = true;
  return true;
}

int64_t WinToast::showToast(const ToastTemplate& toast, std::shared_ptr<IWinToastHandler> handler,
                            WinToastError* error) {
  WinToastError ignored;
  WinToastError& code = error ? *error : ignored;
  code = NoError;
  if (!initialized_) {
    code = NotInitialized;
    toastConsole(L"Error when launching the toast. WinToast is not initialized.");
    return -1;
  }
  if (!handler) {
    code = InvalidHandler;
    toastConsole(L"Error when launching the toast. Handler cannot be nullptr.");
    return -1;
  }
  const ToastSystem& system = toastSystem();
  if (!system.modernFeatures())
    toastConsole(L"Modern features (Actions/Sounds/Attributes) not supported in this os version");
  std::wstring xml;
  if (!buildToastXml(toast, {system.modernFeatures(), system.imagePlacement()}, xml)) {
    code = NotDisplayed;  // an image path too long for the system
    return -1;
  }
  int64_t id = newToastId();
  if (id < 0) {
    code = NotDisplayed;
    return -1;
  }
  std::shared_ptr<ToastPlatform> platform = toastPlatform();
  int64_t expires_at = toast.expiration() > 0 ? nowFileTime() + toast.expiration() * 10000 : 0;
  {
    std::lock_guard<std::mutex> guard(toasts_->lock);
    toasts_->platform = platform;
    toasts_->ready_for_deletion[id] = false;
  }
  toastConsole(L"xml: " + xml);
  int shown = platform->show(aumid_, id, xml, toast.expiration(),
                             std::make_shared<HandlerEvents>(std::move(handler), id, expires_at, toasts_));
  if (shown != NoError) {
    code = static_cast<WinToastError>(shown);
    std::lock_guard<std::mutex> guard(toasts_->lock);
    toasts_->ready_for_deletion.erase(id);
    return -1;
  }
  return id;
}

bool WinToast::hideToast(int64_t id) {
  if (!initialized_) {
    toastConsole(L"Error when hiding the toast. WinToast is not initialized.");
    return false;
  }
  std::shared_ptr<ToastPlatform> platform;
  {
    std::lock_guard<std::mutex> guard(toasts_->lock);
    if (!toasts_->ready_for_deletion.count(id)) return false;
    platform = toasts_->platform;
  }
  if (!platform) return false;
  HRESULT result = S_OK;
  if (!platform->hide(id, &result)) {
    wchar_t code[16];
    swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(result));
    toastConsole(std::wstring(L"Error when hiding the toast. Error code: ") + code);
    return false;
  }
  platform->forget(id);
  std::lock_guard<std::mutex> guard(toasts_->lock);
  toasts_->ready_for_deletion.erase(id);
  return true;
}

void WinToast::clear() {
  std::vector<int64_t> ids;
  std::shared_ptr<ToastPlatform> platform;
  {
    std::lock_guard<std::mutex> guard(toasts_->lock);
    for (const auto& entry : toasts_->ready_for_deletion) ids.push_back(entry.first);
    toasts_->ready_for_deletion.clear();
    platform = toasts_->platform;
  }
  if (!platform) return;
  for (int64_t id : ids) {
    HRESULT ignored;
    platform->hide(id, &ignored);
    platform->forget(id);
  }
}

}  // namespace WinToastLib
