#pragma once
// Windows toast notifications: shows toasts through the Windows Runtime,
// tracks the toasts it has shown, reports what the user did to a handler,
// and registers the application identity (AUMID and activator CLSID) that
// Windows needs to route a click back to the program.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace WinToastLib {

class ToastPlatform;
struct ToastMap;

// What the user did with one toast. Called on system threads.
class IWinToastHandler {
public:
  enum WinToastDismissalReason { UserCanceled = 0, ApplicationHidden = 1, TimedOut = 2 };
  virtual ~IWinToastHandler() = default;
  virtual void toastActivated(const std::wstring& response) const = 0;  // never raised by this library
  virtual void toastActivated(int actionIndex) const = 0;
  virtual void toastActivated() const = 0;
  virtual void toastDismissed(int reason) const = 0;
  virtual void toastFailed() const = 0;
};

// The content of one toast.
class ToastTemplate {
public:
  enum Kind {
    ImageAndText01 = 0, ImageAndText02, ImageAndText03, ImageAndText04,
    Text01, Text02, Text03, Text04,
  };
  enum AudioOption { Default = 0, Silent = 1, Loop = 2 };
  enum Duration { System = 0, Short = 1, Long = 2 };
  enum CropHint { Square = 0, Circle = 1 };

  explicit ToastTemplate(Kind kind = Text02);

  // Index beyond the kind's line count: nothing happens.
  void setTextField(const std::wstring& text, size_t index);
  void addAction(const std::wstring& label) { actions_.push_back(label); }
  void setImagePath(const std::wstring& path, CropHint crop = Square) { image_path_ = path, crop_ = crop; }
  void setHeroImagePath(const std::wstring& path, bool inline_image = false) { hero_path_ = path, hero_inline_ = inline_image; }
  void setAudioPath(const std::wstring& path) { audio_path_ = path; }
  void setAudioOption(int option) { audio_option_ = option; }
  void setAttributionText(const std::wstring& text) { attribution_ = text; }
  void setScenario(const std::wstring& scenario) { scenario_ = scenario; }
  void setExpiration(int64_t milliseconds) { expiration_ = milliseconds; }
  void setDuration(int duration) { duration_ = duration; }
  void setHasInput(bool has_input) { has_input_ = has_input; }

  bool hasInput() const { return has_input_; }
  const std::vector<std::wstring>& textFields() const { return text_fields_; }
  const std::vector<std::wstring>& actions() const { return actions_; }
  const std::wstring& imagePath() const { return image_path_; }
  const std::wstring& heroImagePath() const { return hero_path_; }
  bool isInlineHeroImage() const { return hero_inline_; }
  const std::wstring& audioPath() const { return audio_path_; }
  const std::wstring& attributionText() const { return attribution_; }
  const std::wstring& scenario() const { return scenario_; }
  int64_t expiration() const { return expiration_; }
  int audioOption() const { return audio_option_; }
  Kind kind() const { return kind_; }
  int duration() const { return duration_; }
  int cropHint() const { return crop_; }
  bool isImageKind() const { return kind_ <= ImageAndText04; }

  static size_t textLinesOf(Kind kind);

private:
  bool has_input_ = false;
  std::vector<std::wstring> text_fields_;
  std::vector<std::wstring> actions_;
  std::wstring image_path_;
  std::wstring hero_path_;
  bool hero_inline_ = false;
  std::wstring audio_path_;
  std::wstring attribution_;
  std::wstring scenario_ = L"Default";
  int64_t expiration_ = 0;
  int audio_option_ = Default;
  Kind kind_;
  int duration_ = System;
  int crop_ = Square;
};

enum WinToastError {
  NoError = 0,
  NotInitialized = 1,
  SystemNotSupported = 2,
  InvalidAppUserModelID = 4,
  InvalidParameters = 5,
  InvalidHandler = 6,
  NotDisplayed = 7,
};

// One instance per thread; all calls for an instance come from its thread.
class WinToast {
public:
  // The calling thread's instance, built on first use.
  static WinToast* instance();
  // The calling thread's instance while it exists, else null (at exit,
  // after the thread's objects are gone).
  static WinToast* instanceIfAlive();
  static bool isCompatible();
  // The version parts that decide which XML features are written.
  static bool isSupportingModernFeatures();
  // Builds the AUMID; 128 characters or more are still returned.
  static std::wstring configureAUMI(const std::wstring& company, const std::wstring& product,
                                    const std::wstring& sub_product = L"", const std::wstring& version = L"");
  // Diagnostic texts go to the standard wide output only with this on (off by default).
  static void setConsoleOutput(bool on);

  WinToast();
  virtual ~WinToast();
  WinToast(const WinToast&) = delete;
  WinToast& operator=(const WinToast&) = delete;

  virtual bool initialize(WinToastError* error = nullptr);
  virtual bool isInitialized() const { return initialized_; }
  virtual bool hideToast(int64_t id);
  virtual int64_t showToast(const ToastTemplate& toast, std::shared_ptr<IWinToastHandler> handler,
                            WinToastError* error = nullptr);
  virtual void clear();
  virtual int ensureShellLink();

  void setAppName(const std::wstring& name) { app_name_ = name; }
  void setAppUserModelId(const std::wstring& aumid);
  const std::wstring& appName() const { return app_name_; }
  const std::wstring& appUserModelId() const { return aumid_; }

private:
  bool initialized_ = false;
  std::wstring app_name_;
  std::wstring aumid_;
  std::shared_ptr<ToastMap> toasts_;  // shared with the event handlers of its toasts
};

// The platform behind shown toasts: the Windows Runtime unless a test set
// its own. Process-wide; set it before the first toast.
void setToastPlatform(std::shared_ptr<ToastPlatform> platform);
std::shared_ptr<ToastPlatform> toastPlatform();

// Registration under HKEY_CURRENT_USER; each returns S_OK or the failing HRESULT.
HRESULT RegisterAumidAndComServer(const std::wstring& aumid, const GUID& clsid);
HRESULT RegisterComServer(const GUID& clsid, const std::wstring& exe_path);
HRESULT BindAumidToCustomActivator(const std::wstring& aumid, const GUID& clsid);
// The command-line word of a program started by a click on one of its toasts.
constexpr wchar_t kToastActivatedArgument[] = L"-ToastActivated";

}  // namespace WinToastLib
