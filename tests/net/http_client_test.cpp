// The HTTP client against the local nginx (two ports) and the fault server: which port a
// host text reaches, which statuses succeed, redirects and their limits. The headers a download
// depends on are checked through the downloads themselves (download_test.cpp).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/net/recording_client.h"
#include "tests/net/server_env.h"

namespace {

using nettest::FaultHost;
using nettest::NginxHost;
using nettest::NginxHost2;
using nettest::WaitForLogLines;

std::string PortOf(const std::string& host) { return host.substr(host.find(':') + 1); }

class HttpClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(NginxHost().empty()) << "the local servers are not running";
    marker_ = nettest::RunMarker();
  }
  std::string marker_;
};

TEST_F(HttpClientTest, HostTextChoosesThePortAndBadHostsFail) {
  const std::string path = "/update/port-probe-" + marker_;
  for (const std::string& host : {NginxHost(), NginxHost2()}) {
    dl::HttpClient client;
    ASSERT_EQ(client.Connect(host.c_str(), nullptr, nullptr, 0), 1);
    EXPECT_EQ(client.SendGet(path.c_str(), nullptr), 0);
    EXPECT_EQ(client.LastStatus(), 404);
    EXPECT_EQ(WaitForLogLines("access.log", 1, PortOf(host) + " GET " + path + " "), 1) << host;
  }
  dl::HttpClient client;
  const std::string closed = "127.0.0.1:" + std::to_string(nettest::ClosedPort());
  ASSERT_EQ(client.Connect(closed.c_str(), nullptr, nullptr, 0), 1);
  EXPECT_EQ(client.SendGet("/update/x", nullptr), 0);
  EXPECT_EQ(client.LastStatus(), 0);
  // A failed Connect leaves no connection behind, not even a good earlier one.
  ASSERT_EQ(client.Connect(NginxHost().c_str(), nullptr, nullptr, 0), 1);
  EXPECT_EQ(client.Connect("127.0.0.1:http", nullptr, nullptr, 0), 0);
  EXPECT_EQ(client.SendGet((path + "-after").c_str(), nullptr), 0);
  EXPECT_EQ(nettest::CountLogLines("access.log", path + "-after"), 0);
}

TEST_F(HttpClientTest, OnlyOkAndPartialContentSucceed) {
  dl::HttpClient client;
  ASSERT_EQ(client.Connect(FaultHost().c_str(), nullptr, nullptr, 0), 1);
  EXPECT_EQ(client.SendGet("/status/200", nullptr), 1);
  EXPECT_EQ(client.SendGet("/drop/1000/1000", "range:bytes=10-"), 1);
  EXPECT_EQ(client.LastStatus(), 206);
  for (int code : {201, 204, 300, 303, 304, 307, 308, 400, 404, 416, 500, 503}) {
    EXPECT_EQ(client.SendGet(("/status/" + std::to_string(code)).c_str(), nullptr), 0) << code;
    EXPECT_EQ(client.LastStatus(), code);
  }
}

TEST_F(HttpClientTest, RedirectReconnectsWithTheSameHeaderAndFreshCounters) {
  const std::string name = "redirected-" + marker_;
  ASSERT_TRUE(nettest::PutUpdateFile(name, nettest::Pattern(5000)));
  nettest::RecordingClient client;
  ASSERT_EQ(client.Connect(FaultHost().c_str(), nullptr, nullptr, 77), 1);
  client.bytesReceived = 123456;  // an earlier transfer's figures must not survive
  client.elapsedMs = 999;
  client.stopRequested = 1;
  EXPECT_EQ(client.SendGet(("/redirect-to-nginx2/" + name).c_str(), "range:bytes=4000-"), 1);
  EXPECT_EQ(client.LastStatus(), 206);
  EXPECT_EQ(client.tag, 0);
  EXPECT_EQ(client.bytesReceived, 0u);
  EXPECT_EQ(client.elapsedMs, 1u);
  EXPECT_EQ(client.stopRequested, 0);
  uint64_t length = 0;
  ASSERT_EQ(client.QueryContentLength(&length), 1);
  EXPECT_EQ(length, 1000u);
  EXPECT_EQ(WaitForLogLines("access.log", 1,
                            PortOf(NginxHost2()) + " GET /update/" + name + " \"bytes=4000-\" 206"),
            1);
  nettest::RemoveUpdateFile(name);
}

TEST_F(HttpClientTest, RedirectChainsEndAfterTenAndLoopsFail) {
  dl::HttpClient client;
  ASSERT_EQ(client.Connect(FaultHost().c_str(), nullptr, nullptr, 0), 1);
  EXPECT_EQ(client.SendGet(("/redirect/10/302?m=" + marker_).c_str(), nullptr), 1);
  EXPECT_EQ(client.SendGet(("/redirect/10/301?m=" + marker_).c_str(), nullptr), 1);
  EXPECT_EQ(client.SendGet(("/redirect/11/302?m=" + marker_).c_str(), nullptr), 0);
  EXPECT_EQ(client.LastStatus(), 302);
  // 11 answers for each accepted chain, 11 before giving up on the long one.
  EXPECT_EQ(WaitForLogLines("fault.log", 33, "m=" + marker_), 33);
  // Redirects other than 301 and 302 are failures like any other answer.
  for (const char* path : {"/loop", "/long-location", "/redirect/1/307", "/redirect/1/303"}) {
    EXPECT_EQ(client.SendGet(path, nullptr), 0) << path;
  }
}

}  // namespace
