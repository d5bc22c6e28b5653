// Kept easy handles: how many, how long, and that a reused one starts clean.
#include <gtest/gtest.h>

#include <string>

#include "http/easy_handle_pool.h"
#include "test_support.h"

namespace VemoSDKHttp {
namespace {

size_t collect(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

TEST(EasyHandlePoolTest, AReusedHandleCarriesNoOptionOfItsLastRequest) {
  EasyHandlePool pool(10, 120000);
  vemo::CurlEasy first = pool.take(0);
  ASSERT_TRUE(first);
  CURL* raw = first.get();
  curl_easy_setopt(first.get(), CURLOPT_USERAGENT, "leaked-agent");
  curl_easy_setopt(first.get(), CURLOPT_NOBODY, 1L);
  pool.put(std::move(first), 0);

  vemo::CurlEasy again = pool.take(1000);
  ASSERT_EQ(raw, again.get());
  std::string body;
  std::string url = vemo::test::http_base_url() + "/_/echo";
  curl_easy_setopt(again.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(again.get(), CURLOPT_WRITEFUNCTION, collect);
  curl_easy_setopt(again.get(), CURLOPT_WRITEDATA, &body);
  ASSERT_EQ(CURLE_OK, curl_easy_perform(again.get()));
  EXPECT_NE(std::string::npos, body.find("\"method\": \"GET\"")) << body;
  EXPECT_EQ(std::string::npos, body.find("leaked-agent")) << body;
}

TEST(EasyHandlePoolTest, KeepsTheNewestTenForAtMostTheirAge) {
  EasyHandlePool pool(10, 120000);
  for (int i = 0; i < 12; ++i) pool.put(vemo::CurlEasy(curl_easy_init()), i);
  EXPECT_EQ(10u, pool.idleCount());
  EXPECT_TRUE(pool.take(100));
  EXPECT_EQ(9u, pool.idleCount());
  // Every kept handle is older than the age now: all are dropped, a new one made.
  EXPECT_TRUE(pool.take(200000));
  EXPECT_EQ(0u, pool.idleCount());
}

}  // namespace
}  // namespace VemoSDKHttp
