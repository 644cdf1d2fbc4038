// The HTTP client against the local nginx (two ports) and the fault server: which port a
// host text reaches, which statuses succeed, redirects and their limits, and the headers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/net/recording_client.h"
#include "tests/net/server_env.h"

namespace {

using nettest::CountLogLines;
using nettest::FaultHost;
using nettest::NginxHost;
using nettest::NginxHost2;
using nettest::WaitForLogLines;

class HttpClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(NginxHost().empty()) << "the local servers are not running";
    marker_ = nettest::RunMarker();
  }
  std::string marker_;
};

TEST_F(HttpClientTest, HostTextChoosesThePort) {
  const std::string path = "/update/port-probe-" + marker_;
  for (const std::string& host : {NginxHost(), NginxHost2()}) {
    dl::HttpClient client;
    ASSERT_EQ(client.Connect(host.c_str(), nullptr, nullptr, 0), 1);
    EXPECT_EQ(client.SendGet(path.c_str(), nullptr), 0);  // 404
    EXPECT_EQ(client.LastStatus(), 404);
    const std::string port = host.substr(host.find(':') + 1);
    EXPECT_EQ(WaitForLogLines("access.log", 1, port + " GET " + path + " "), 1) << host;
  }

  dl::HttpClient client;
  const std::string closed = "127.0.0.1:" + std::to_string(nettest::ClosedPort());
  ASSERT_EQ(client.Connect(closed.c_str(), nullptr, nullptr, 0), 1);
  EXPECT_EQ(client.SendGet("/update/x", nullptr), 0);
  EXPECT_EQ(client.LastStatus(), 0);
  EXPECT_EQ(client.Connect("127.0.0.1:http", nullptr, nullptr, 0), 0);
  EXPECT_EQ(client.Connect(nullptr, nullptr, nullptr, 0), 0);
  EXPECT_EQ(client.SendGet("/update/x", nullptr), 0);  // no connection any more
}

TEST_F(HttpClientTest, OnlyOkAndPartialContentSucceed) {
  dl::HttpClient client;
  ASSERT_EQ(client.Connect(FaultHost().c_str(), nullptr, nullptr, 0), 1);
  EXPECT_EQ(client.SendGet("/status/200", nullptr), 1);
  EXPECT_EQ(client.SendGet("/drop/1000/1000", "range:bytes=10-"), 1);
  EXPECT_EQ(client.LastStatus(), 206);
  for (int code : {201, 202, 203, 204, 205, 300, 303, 304, 307, 308, 400, 404, 416, 500, 503}) {
    EXPECT_EQ(client.SendGet(("/status/" + std::to_string(code)).c_str(), nullptr), 0) << code;
    EXPECT_EQ(client.LastStatus(), code);
  }
}

TEST_F(HttpClientTest, RedirectReconnectsWithTheSameHeaderAndStartsOver) {
  const std::string name = "redirected-" + marker_;
  ASSERT_TRUE(nettest::PutUpdateFile(name, nettest::Pattern(5000)));

  nettest::RecordingClient client;
  ASSERT_EQ(client.Connect(FaultHost().c_str(), nullptr, nullptr, 77), 1);
  // Counters of an earlier transfer must not survive the reconnect.
  client.bytesReceived = 123456;
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
  const std::string port2 = NginxHost2().substr(NginxHost2().find(':') + 1);
  EXPECT_EQ(
      WaitForLogLines("access.log", 1, port2 + " GET /update/" + name + " \"bytes=4000-\" 206"), 1);
  nettest::RemoveUpdateFile(name);
}

TEST_F(HttpClientTest, NginxRedirectToTheSecondPort) {
  const std::string name = "moved-" + marker_;
  ASSERT_TRUE(nettest::PutUpdateFile(name, nettest::Pattern(3000)));
  dl::HttpClient client;
  ASSERT_EQ(client.Connect(NginxHost().c_str(), nullptr, nullptr, 0), 1);
  EXPECT_EQ(client.SendGet(("/moved/" + name).c_str(), nullptr), 1);
  uint64_t length = 0;
  ASSERT_EQ(client.QueryContentLength(&length), 1);
  EXPECT_EQ(length, 3000u);
  nettest::RemoveUpdateFile(name);
}

TEST_F(HttpClientTest, RedirectChainsEndAfterTenAndLoopsFail) {
  dl::HttpClient client;
  ASSERT_EQ(client.Connect(FaultHost().c_str(), nullptr, nullptr, 0), 1);
  EXPECT_EQ(client.SendGet(("/redirect/10/302?m=" + marker_).c_str(), nullptr), 1);
  EXPECT_EQ(client.SendGet(("/redirect/10/301?m=" + marker_).c_str(), nullptr), 1);
  EXPECT_EQ(client.SendGet(("/redirect/11/302?m=" + marker_).c_str(), nullptr), 0);
  EXPECT_EQ(client.LastStatus(), 302);
  // 11 answers for the accepted chains, 11 before giving up on the long one.
  EXPECT_EQ(WaitForLogLines("fault.log", 33, "m=" + marker_), 33);

  EXPECT_EQ(client.SendGet("/loop", nullptr), 0);
  EXPECT_EQ(client.SendGet("/long-location", nullptr), 0);
  // Redirects other than 301 and 302 are answers like any other failure.
  EXPECT_EQ(client.SendGet("/redirect/1/307", nullptr), 0);
  EXPECT_EQ(client.SendGet("/redirect/1/303", nullptr), 0);
}

TEST_F(HttpClientTest, HeadersAreReadInFullOrReportedMissing) {
  dl::HttpClient client;
  ASSERT_EQ(client.Connect(FaultHost().c_str(), nullptr, nullptr, 0), 1);

  ASSERT_EQ(client.SendGet("/huge-length", nullptr), 1);
  uint64_t length = 0;
  ASSERT_EQ(client.QueryContentLength(&length), 1);
  EXPECT_EQ(length, 5000000000ull);

  // 784111777 is Sun, 06 Nov 1994 08:49:37 GMT.
  ASSERT_EQ(client.SendGet("/drop/10/10?lm=784111777", nullptr), 1);
  SYSTEMTIME time;
  std::memset(&time, 0x55, sizeof time);
  ASSERT_EQ(client.QueryLastModified(&time), 1);
  EXPECT_EQ(time.wYear, 1994);
  EXPECT_EQ(time.wMonth, 11);
  EXPECT_EQ(time.wDay, 6);
  EXPECT_EQ(time.wHour, 8);
  EXPECT_EQ(time.wMinute, 49);
  EXPECT_EQ(time.wSecond, 37);
  EXPECT_EQ(time.wDayOfWeek, 0);
  EXPECT_EQ(time.wMilliseconds, 0);

  ASSERT_EQ(client.SendGet("/no-last-modified/100", nullptr), 1);
  EXPECT_EQ(client.QueryLastModified(&time), 0);
  EXPECT_EQ(client.QueryContentLength(&length), 1);
  ASSERT_EQ(client.SendGet("/no-length/100", nullptr), 1);
  length = 12345;
  EXPECT_EQ(client.QueryContentLength(&length), 0);
  EXPECT_EQ(length, 12345u);
  EXPECT_EQ(client.QueryLastModified(&time), 1);

  client.Close();
  EXPECT_EQ(client.QueryContentLength(&length), 0);
  EXPECT_EQ(client.QueryLastModified(&time), 0);
}

}  // namespace
