#include "webview/engine/navigation_tracker.h"

#include <gtest/gtest.h>

namespace {

using namespace VemoSDK::WebEngine;

TEST(NavigationTracker, NetworkErrorNamesMapToWebErrors) {
  const std::pair<const char*, int> cases[] = {
      {"net::ERR_NAME_NOT_RESOLVED", kWebErrorHostNameNotResolved},
      {"net::ERR_CONNECTION_REFUSED", kWebErrorServerUnreachable},
      {"net::ERR_ADDRESS_UNREACHABLE", kWebErrorServerUnreachable},
      {"net::ERR_ABORTED", kWebErrorConnectionAborted},
      {"net::ERR_CERT_COMMON_NAME_INVALID", kWebErrorCertificateCommonNameIsIncorrect},
      {"net::ERR_CERT_DATE_INVALID", kWebErrorCertificateExpired},
      {"net::ERR_CERT_REVOKED", kWebErrorCertificateRevoked},
      {"net::ERR_CERT_AUTHORITY_INVALID", kWebErrorCertificateIsInvalid},
      {"net::ERR_TIMED_OUT", kWebErrorTimeout},
      {"net::ERR_CONNECTION_RESET", kWebErrorConnectionReset},
      {"net::ERR_EMPTY_RESPONSE", kWebErrorHttpInvalidServerResponse},
      {"net::ERR_CONNECTION_CLOSED", kWebErrorDisconnected},
      {"net::ERR_TOO_MANY_REDIRECTS", kWebErrorRedirectFailed},
      {"net::ERR_FILE_NOT_FOUND", kWebErrorUnknown},
      {"", kWebErrorUnknown},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, webErrorFromNetError(c.first)) << c.first;
}

TEST(NavigationTracker, EachStartedNavigationCompletesOnce) {
  NavigationTracker tracker;
  std::optional<NavigationCompletedArgs> before;

  // Loaded: completes when the frame stops loading after its commit.
  const NavigationStartingArgs first = tracker.started("L1", "http://a/", before);
  EXPECT_FALSE(before);
  EXPECT_FALSE(tracker.stoppedLoading()) << "the previous document stopping is not this navigation";
  tracker.responseReceived("L1", 200);
  tracker.committed("L1");
  auto done = tracker.stoppedLoading();
  ASSERT_TRUE(done);
  EXPECT_TRUE(done->isSuccess);
  EXPECT_EQ(200, done->httpStatusCode);
  EXPECT_EQ(first.navigationId, done->navigationId);
  EXPECT_FALSE(tracker.stoppedLoading());

  // Failed: the error page that follows completes nothing more.
  tracker.started("L2", "http://b/", before);
  EXPECT_FALSE(tracker.failed("other", "net::ERR_ABORTED", false));
  done = tracker.failed("L2", "net::ERR_NAME_NOT_RESOLVED", false);
  ASSERT_TRUE(done);
  EXPECT_FALSE(done->isSuccess);
  EXPECT_EQ(kWebErrorHostNameNotResolved, done->webErrorStatus);
  tracker.committed("L2");
  EXPECT_FALSE(tracker.stoppedLoading());

  // An HTTP error document loads but fails, with its status.
  tracker.started("L3", "http://c/", before);
  tracker.responseReceived("L3", 404);
  tracker.committed("L3");
  done = tracker.stoppedLoading();
  ASSERT_TRUE(done);
  EXPECT_FALSE(done->isSuccess);
  EXPECT_EQ(404, done->httpStatusCode);
  EXPECT_EQ(kWebErrorUnknown, done->webErrorStatus);

  // Replaced before it ended: the old one completes as aborted first.
  const NavigationStartingArgs fourth = tracker.started("L4", "http://d/", before);
  tracker.started("L5", "http://e/", before);
  ASSERT_TRUE(before);
  EXPECT_EQ(fourth.navigationId, before->navigationId);
  EXPECT_EQ(kWebErrorConnectionAborted, before->webErrorStatus);
  done = tracker.failed("L5", "", true);
  ASSERT_TRUE(done);
  EXPECT_EQ(kWebErrorConnectionAborted, done->webErrorStatus);
}

}  // namespace
