#pragma once
// The few Windows Runtime interfaces the toast platform calls, declared here
// as far as it uses them: slot order as the system lays them out, methods
// past the last one used left out.
#include <windows.h>
#include <unknwn.h>

#include <cstdint>

#include "3rd/wintoast/toast_system.h"

namespace WinToastLib::Abi {

struct EventToken {
  int64_t value;
};

struct Inspectable : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetIids(ULONG* count, IID** iids) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTrustLevel(int* level) = 0;
};

struct ActivationFactory : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE ActivateInstance(Inspectable** instance) = 0;
};

struct XmlDocument : Inspectable {};  // passed along, never called

struct XmlDocumentIO : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE LoadXml(HSTRING xml) = 0;
};

struct DateTimeReference : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Value(int64_t* universal_time) = 0;
};

struct ToastNotification;

// The three event delegates share one shape: Invoke(sender, arguments).
struct TypedEventHandler : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(ToastNotification* sender, Inspectable* arguments) = 0;
};

struct ToastNotification : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Content(XmlDocument** content) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_ExpirationTime(DateTimeReference* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ExpirationTime(DateTimeReference** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE add_Dismissed(TypedEventHandler* handler, EventToken* token) = 0;
  virtual HRESULT STDMETHODCALLTYPE remove_Dismissed(EventToken token) = 0;
  virtual HRESULT STDMETHODCALLTYPE add_Activated(TypedEventHandler* handler, EventToken* token) = 0;
  virtual HRESULT STDMETHODCALLTYPE remove_Activated(EventToken token) = 0;
  virtual HRESULT STDMETHODCALLTYPE add_Failed(TypedEventHandler* handler, EventToken* token) = 0;
  virtual HRESULT STDMETHODCALLTYPE remove_Failed(EventToken token) = 0;
};

struct ToastNotificationFactory : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE CreateToastNotification(XmlDocument* content, ToastNotification** toast) = 0;
};

struct ToastNotifier : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE Show(ToastNotification* toast) = 0;
  virtual HRESULT STDMETHODCALLTYPE Hide(ToastNotification* toast) = 0;
};

struct ToastNotificationManagerStatics : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE CreateToastNotifier(ToastNotifier** notifier) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateToastNotifierWithId(HSTRING id, ToastNotifier** notifier) = 0;
};

struct ToastActivatedEventArgs : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Arguments(HSTRING* arguments) = 0;
};

struct ToastDismissedEventArgs : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Reason(int* reason) = 0;
};

// {AF86E2E0-B12D-4C6A-9C5A-D7AA65101E90}
constexpr IID kIidInspectable = {0xAF86E2E0, 0xB12D, 0x4C6A, {0x9C, 0x5A, 0xD7, 0xAA, 0x65, 0x10, 0x1E, 0x90}};
// {00000035-0000-0000-C000-000000000046}
constexpr IID kIidActivationFactory = {0x00000035, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {94EA2B94-E9CC-49E0-C0FF-EE64CA8F5B90}
constexpr IID kIidAgileObject = {0x94EA2B94, 0xE9CC, 0x49E0, {0xC0, 0xFF, 0xEE, 0x64, 0xCA, 0x8F, 0x5B, 0x90}};
// {F7F3A506-1E87-42D6-BCFB-B8C809FA5494}
constexpr IID kIidXmlDocument = {0xF7F3A506, 0x1E87, 0x42D6, {0xBC, 0xFB, 0xB8, 0xC8, 0x09, 0xFA, 0x54, 0x94}};
// {6CD0E74E-EE65-4489-9EBF-CA43E87BA637}
constexpr IID kIidXmlDocumentIO = {0x6CD0E74E, 0xEE65, 0x4489, {0x9E, 0xBF, 0xCA, 0x43, 0xE8, 0x7B, 0xA6, 0x37}};
// {5541D8A7-497C-5AA4-86FC-7713ADBF2A2C}
constexpr IID kIidDateTimeReference = {0x5541D8A7, 0x497C, 0x5AA4, {0x86, 0xFC, 0x77, 0x13, 0xAD, 0xBF, 0x2A, 0x2C}};
// {50AC103F-D235-4598-BBEF-98FE4D1A3AD4}
constexpr IID kIidToastNotificationManagerStatics = {
    0x50AC103F, 0xD235, 0x4598, {0xBB, 0xEF, 0x98, 0xFE, 0x4D, 0x1A, 0x3A, 0xD4}};
// {04124B20-82C6-4229-B109-FD9ED4662B53}
constexpr IID kIidToastNotificationFactory = {
    0x04124B20, 0x82C6, 0x4229, {0xB1, 0x09, 0xFD, 0x9E, 0xD4, 0x66, 0x2B, 0x53}};
// {E3BF92F3-C197-436F-8265-0625824F8DAC}
constexpr IID kIidToastActivatedEventArgs = {
    0xE3BF92F3, 0xC197, 0x436F, {0x82, 0x65, 0x06, 0x25, 0x82, 0x4F, 0x8D, 0xAC}};
// {3F89D935-D9CB-4538-A0F0-FFE7659938F8}
constexpr IID kIidToastDismissedEventArgs = {
    0x3F89D935, 0xD9CB, 0x4538, {0xA0, 0xF0, 0xFF, 0xE7, 0x65, 0x99, 0x38, 0xF8}};
// The delegates TypedEventHandler<ToastNotification, X> for X = IInspectable,
// ToastDismissedEventArgs and ToastFailedEventArgs.
constexpr IID kIidActivatedHandler = {0xAB54DE2D, 0x97D9, 0x5528, {0xB6, 0xAD, 0x10, 0x5A, 0xFE, 0x15, 0x65, 0x30}};
constexpr IID kIidDismissedHandler = {0x61C2402F, 0x0ED0, 0x5A18, {0xAB, 0x69, 0x59, 0xF4, 0xAA, 0x99, 0xA3, 0x68}};
constexpr IID kIidFailedHandler = {0x95E3E803, 0xC969, 0x5E3A, {0x97, 0x53, 0xEA, 0x2A, 0xD2, 0x2A, 0x9A, 0x33}};

}  // namespace WinToastLib::Abi
