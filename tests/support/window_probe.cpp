// Looks at a top-level window of another program and prints what it finds
// as one line of JSON, for the end-to-end tests:
//   window_probe <class> <title> [--child <id>] [--post <message>]
// {"found":true,"visible":true,"window":{"left":..,"top":..,"width":..,"height":..},
//  "client":{"width":..,"height":..},"child":{"found":true,"left":..,"top":..,"width":..,"height":..}}
// child coordinates are in the parent's client area. --post sends the
// message (wParam 0, lParam 0) after looking. Exit code 0 when found, 1 if not.
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: window_probe <class> <title> [--child <id>] [--post <message>]\n");
    return 2;
  }
  int child_id = -1;
  UINT post = 0;
  for (int i = 3; i + 1 < argc; i += 2) {
    if (std::wcscmp(argv[i], L"--child") == 0) child_id = std::wcstol(argv[i + 1], nullptr, 0);
    if (std::wcscmp(argv[i], L"--post") == 0) post = static_cast<UINT>(std::wcstoul(argv[i + 1], nullptr, 0));
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
  if (child_id >= 0) {
    HWND child = GetDlgItem(window, child_id);
    json += ",\"child\":{\"found\":";
    if (child) {
      RECT box;
      GetWindowRect(child, &box);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
      json += "true," + rect_json(box);
    } else {
      json += "false";
    }
    json += "}";
  }
  json += "}";
  std::printf("%s\n", json.c_str());
  if (post) PostMessageW(window, post, 0, 0);
  return 0;
}
