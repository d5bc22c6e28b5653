// Looks at a top-level window of another program and prints what it finds
// as one line of JSON, for the end-to-end tests:
//   window_probe <class> <title> [--child <id>] [--post <message>] [--click 1] [--click-at <x>,<y>]
// {"found":true,"visible":true,"window":{"left":..,"top":..,"width":..,"height":..},
//  "client":{"width":..,"height":..},"work_area":{...},"foreground_class":"<class of the foreground window>","child":{"found":true,"visible":..,"left":..,"top":..,"width":..,"height":..}}
// child coordinates are in the parent's client area; the child is a direct
// child with that id or, failing that, the first descendant with it. --post
// sends the message (wParam 0, lParam 0) after looking; --click presses the
// child button (BM_CLICK); --click-at presses the left mouse button at a point
// of the client area, in the deepest window there (as a mouse would). Exit
// code 0 when found, 1 if not.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::string rect_json(const RECT& r) {
  char text[160];
  std::snprintf(text, sizeof text, "\"left\":%ld,\"top\":%ld,\"width\":%ld,\"height\":%ld", r.left, r.top,
                r.right - r.left, r.bottom - r.top);
  return text;
}

struct DescendantSearch {
  int id;
  HWND found;
};

BOOL CALLBACK find_descendant(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DescendantSearch*>(param);
  if (GetDlgCtrlID(window) != search->id) return TRUE;
  search->found = window;
  return FALSE;
}

HWND find_child(HWND window, int id) {
  if (HWND child = GetDlgItem(window, id)) return child;
  DescendantSearch search{id, nullptr};
  EnumChildWindows(window, find_descendant, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Button down and up at a client point of window, sent to the deepest
// visible child there in that child's coordinates.
void click_at(HWND window, POINT point) {
  HWND target = window;
  POINT local = point;
  for (;;) {
    HWND child = ChildWindowFromPointEx(target, local, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (!child || child == target) break;
    MapWindowPoints(target, child, &local, 1);
    target = child;
  }
  LPARAM at = MAKELPARAM(local.x, local.y);
  PostMessageW(target, WM_MOUSEMOVE, 0, at);
  PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(target, WM_LBUTTONUP, 0, at);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: window_probe <class> <title> [--child <id>] [--post <message>] [--click 1]\n");
    return 2;
  }
  int child_id = -1;
  UINT post = 0;
  bool click = false;
  bool click_point = false;
  POINT point = {};
  for (int i = 3; i + 1 < argc; i += 2) {
    if (std::wcscmp(argv[i], L"--child") == 0) child_id = std::wcstol(argv[i + 1], nullptr, 0);
    if (std::wcscmp(argv[i], L"--post") == 0) post = static_cast<UINT>(std::wcstoul(argv[i + 1], nullptr, 0));
    if (std::wcscmp(argv[i], L"--click") == 0) click = std::wcscmp(argv[i + 1], L"0") != 0;
    if (std::wcscmp(argv[i], L"--click-at") == 0)
      click_point = std::swscanf(argv[i + 1], L"%ld,%ld", &point.x, &point.y) == 2;
  }
  HWND window = FindWindowW(argv[1], argv[2]);
  if (!window) {
    std::printf("{\"found\":false}\n");
    return 1;
  }
  RECT frame, client;
  GetWindowRect(window, &frame);
  GetClientRect(window, &client);
  std::string json = "{\"found\":true,\"visible\":";
  json += IsWindowVisible(window) ? "true" : "false";
  json += ",\"window\":{" + rect_json(frame) + "},\"client\":{" + rect_json(client) + "}";
  RECT area;
  if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) json += ",\"work_area\":{" + rect_json(area) + "}";
  char foreground_class[128] = "";
  if (HWND foreground = GetForegroundWindow()) GetClassNameA(foreground, foreground_class, sizeof foreground_class);
  json += ",\"foreground_class\":\"" + std::string(foreground_class) + "\"";
  HWND child = nullptr;
  if (child_id >= 0) {
    child = find_child(window, child_id);
    json += ",\"child\":{\"found\":";
    if (child) {
      RECT box;
      GetWindowRect(child, &box);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
      json += "true,\"visible\":";
      json += IsWindowVisible(child) ? "true," : "false,";
      json += rect_json(box);
    } else {
      json += "false";
    }
    json += "}";
  }
  json += "}";
  std::printf("%s\n", json.c_str());
  if (post) PostMessageW(window, post, 0, 0);
  if (click && child) SendMessageW(child, BM_CLICK, 0, 0);
  if (click_point) click_at(window, point);
  return 0;
}
