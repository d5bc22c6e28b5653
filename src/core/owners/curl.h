#pragma once
// Owners of libcurl handles and header lists.
#include <curl/curl.h>

#include <memory>

namespace vemo {

struct CurlEasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlMultiDeleter {
  void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
// A multi handle; its easy handles must be removed from it before it goes.
using CurlMulti = std::unique_ptr<CURLM, CurlMultiDeleter>;

struct CurlSlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
// A request's header lines.
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistDeleter>;

struct CurlMimeDeleter {
  void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};
// A multipart form; it must outlive the transfer that sends it.
using CurlMime = std::unique_ptr<curl_mime, CurlMimeDeleter>;

// Appends one line; the list is left as it was when libcurl has no memory.
inline bool append_header(CurlSlist& list, const char* line) {
  curl_slist* grown = curl_slist_append(list.get(), line);
  if (!grown) return false;
  list.release();
  list.reset(grown);
  return true;
}

}  // namespace vemo
