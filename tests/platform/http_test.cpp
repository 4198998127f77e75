#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "loopback_server.h"
#include "platform/http.h"

using namespace platform;
using vektest::HttpReply;
using vektest::LoopbackServer;

namespace {

constexpr int kPatience = 20000;  // ms; only reached when something is broken

class HttpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Nothing may leave the machine, not even through a configured proxy.
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) {
      ::unsetenv(name);
    }
  }
};

}  // namespace

TEST_F(HttpTest, FetchesTheBodyWithAnHttp10Get) {
  LoopbackServer server(HttpReply("200 OK", "<LatestVersionString>1.00\r\n", true));
  const auto request = HttpGet(server.Url("/LiveData/VEK2003.pui"));
  ASSERT_TRUE(request->Wait(kPatience));
  EXPECT_TRUE(request->Done());
  EXPECT_TRUE(request->Succeeded()) << request->Error();
  EXPECT_EQ(request->Status(), 200);
  EXPECT_EQ(request->Body(), "<LatestVersionString>1.00\r\n");
  EXPECT_EQ(request->Error(), "");
  EXPECT_EQ(server.Request().rfind("GET /LiveData/VEK2003.pui HTTP/1.0\r\n", 0), 0u)
      << server.Request();
}

TEST_F(HttpTest, StatusesOtherThan2xxFail) {
  LoopbackServer server(HttpReply("404 Not Found", "gone", true));
  const auto request = HttpGet(server.Url("/x"));
  ASSERT_TRUE(request->Wait(kPatience));
  EXPECT_FALSE(request->Succeeded());
  EXPECT_EQ(request->Status(), 404);
  EXPECT_NE(request->Error().find("404"), std::string::npos) << request->Error();
}

TEST_F(HttpTest, ARefusedConnectionFails) {
  // A port that was just free and has no listener.
  const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  auto* raw = reinterpret_cast<sockaddr*>(&address);
  ASSERT_EQ(::bind(probe, raw, size), 0);
  ASSERT_EQ(::getsockname(probe, raw, &size), 0);
  ::close(probe);
  const auto request =
      HttpGet("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/x");
  ASSERT_TRUE(request->Wait(kPatience));
  EXPECT_FALSE(request->Succeeded());
  EXPECT_EQ(request->Status(), 0);
  EXPECT_FALSE(request->Error().empty());
}

TEST_F(HttpTest, BodiesOverTheCapFail) {
  struct Case {
    size_t Size;
    bool WithLength;
    bool Succeeds;
  };
  const Case cases[] = {
      {HttpBodyCap, false, true},
      {HttpBodyCap + 1, false, false},
      {HttpBodyCap + 1, true, false},
      {3 * HttpBodyCap, false, false},
  };
  for (const auto& c : cases) {
    LoopbackServer server(HttpReply("200 OK", std::string(c.Size, 'x'), c.WithLength));
    const auto request = HttpGet(server.Url("/big"));
    ASSERT_TRUE(request->Wait(kPatience));
    EXPECT_EQ(request->Succeeded(), c.Succeeds) << c.Size << " " << request->Error();
    if (c.Succeeds) {
      EXPECT_EQ(request->Body().size(), c.Size);
    }
  }
  LoopbackServer server(HttpReply("200 OK", "12345", false));
  const auto small = HttpGet(server.Url("/"), 4);
  ASSERT_TRUE(small->Wait(kPatience));
  EXPECT_FALSE(small->Succeeded());
}

TEST_F(HttpTest, AbandonStopsAWaitingRequest) {
  LoopbackServer server("", /*holdReplies=*/true);  // silent until it ends
  const auto request = HttpGet(server.Url("/slow"));
  EXPECT_FALSE(request->Wait(0));
  EXPECT_FALSE(request->Done());
  request->Abandon();
  ASSERT_TRUE(request->Wait(kPatience));
  EXPECT_FALSE(request->Succeeded());
  EXPECT_EQ(request->Error(), "abandoned");
}

TEST_F(HttpTest, ASilentServerTimesOut) {
  LoopbackServer server("", /*holdReplies=*/true);  // silent until it ends
  const auto request = HttpGet(server.Url("/silent"), HttpBodyCap, 200);
  ASSERT_TRUE(request->Wait(kPatience));
  EXPECT_FALSE(request->Succeeded());
  EXPECT_FALSE(request->Error().empty());
}

TEST_F(HttpTest, TheSchemeIsReadWithoutCase) {
  LoopbackServer server(HttpReply("200 OK", "fine", true));
  const std::string url = server.Url("/x");
  ASSERT_EQ(url.rfind("http://", 0), 0u) << url;
  const auto request = HttpGet("HTTP://" + url.substr(7));
  ASSERT_TRUE(request->Wait(kPatience));
  EXPECT_TRUE(request->Succeeded()) << request->Error();
  EXPECT_EQ(request->Body(), "fine");
}

TEST_F(HttpTest, OnlyHttpAddressesAreFetched) {
  for (const char* url : {"https://127.0.0.1/", "ftp://127.0.0.1/", "127.0.0.1/x", ""}) {
    const auto request = HttpGet(url);
    EXPECT_TRUE(request->Done()) << url;
    EXPECT_FALSE(request->Succeeded()) << url;
  }
}

TEST_F(HttpTest, ADroppedRequestDoesNotKeepTheProgramAlive) {
  // Dropped while the server still holds the connection: the worker is
  // abandoned, and exit waits for it cleanly.
  LoopbackServer server("", /*holdReplies=*/true);  // silent until it ends
  HttpGet(server.Url("/dropped")).reset();
}
