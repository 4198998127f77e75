#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "core/state.h"
#include "loopback_server.h"
#include "platform/http.h"
#include "platform/shell.h"
#include "program_fixture.h"
#include "tools/exit_wipe_window.h"
#include "tools/update_window.h"
#include "ui/clock.h"

namespace {

using vek::Form22;
using vektest::HttpReply;
using vektest::LoopbackServer;

constexpr int kPatience = 20000;  // ms of real time; only reached when something is broken
constexpr int kTickMs = 500;

const std::string kNewVersion =
    "<LatestVersionString>1.10\r\n"
    "<UpdateMessage>Faster and\r\n safer.\r\n"
    "<DownloadURL>http://downloads.example/vek.exe\r\n";

class ToolsUpdateTest : public vektest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) {
      ::unsetenv(name);
    }
    vek::StartCount = 2;
  }
  void TearDown() override {
    platform::SetShellHookForTest({});
    ProgramTest::TearDown();
  }
  static void PointAt(LoopbackServer& server) {
    vek::UpdateInfoUrl = server.Url("/LiveData/VEK2003.pui");
  }
  // Shows the window and runs it to the moment its request is made (1.5 s),
  // then until the reply is in: the tick after the request has ended.
  static void RunToTheReply() {
    Form22->Show();
    ui::clock::Advance(3 * kTickMs);
    ASSERT_NE(Form22->PendingRequest(), nullptr);
    ASSERT_TRUE(Form22->PendingRequest()->Wait(kPatience));
    ui::clock::Advance(kTickMs);
    ASSERT_EQ(Form22->PendingRequest(), nullptr);
  }
  // The whole check against a server giving `body`: shown, replied, evaluated.
  static void CheckAgainst(const std::string& reply) {
    LoopbackServer server(reply);
    PointAt(server);
    RunToTheReply();
    ui::clock::Advance(3 * kTickMs);
  }
  static bool PanelShown() {
    return Form22->IsShown() && Form22->Button1->Visible() && !Form22->Label7->Visible();
  }
};

TEST_F(ToolsUpdateTest, TheCheckRunsOnItsTimeline) {
  for (const int startCount : {1, 2}) {
    SCOPED_TRACE(startCount);
    vek::StartCount = startCount;
    vek::Form2->Hide();
    vek::Form4->Hide();
    LoopbackServer server(HttpReply("200 OK", "<LatestVersionString>1.00\r\n"));
    PointAt(server);
    Form22->Show();
    EXPECT_EQ(vek::UpdatePhase, 1);
    if (startCount == 1) Screenshot(Form22, "tools_update_checking");

    ui::clock::Advance(3 * kTickMs - 1);
    EXPECT_EQ(Form22->PendingRequest(), nullptr);
    ui::clock::Advance(1);  // 1.5 s: the request
    ASSERT_NE(Form22->PendingRequest(), nullptr);
    ASSERT_TRUE(Form22->PendingRequest()->Wait(kPatience));
    EXPECT_EQ(server.Requests(), 1);

    ui::clock::Advance(kTickMs);  // the tick that takes the reply
    EXPECT_EQ(vek::UpdatePhase, 2);
    EXPECT_EQ(vek::UpdateFetched, 1);
    ui::clock::Advance(2 * kTickMs);
    EXPECT_TRUE(Form22->IsShown());
    ui::clock::Advance(kTickMs);  // three ticks after the reply: the evaluation
    EXPECT_FALSE(Form22->IsShown());
    EXPECT_EQ(vek::Form4->IsShown(), startCount == 1);
    EXPECT_EQ(vek::Form2->IsShown(), startCount != 1);
    EXPECT_FALSE(Form22->Timer1->Enabled());
    EXPECT_FALSE(Form22->Timer2->Enabled());
  }
}

TEST_F(ToolsUpdateTest, AReplyThatNeverComesEndsTheCheckAfterTenSeconds) {
  LoopbackServer server(HttpReply("200 OK", kNewVersion), /*holdReplies=*/true);
  PointAt(server);
  Form22->Show();
  ui::clock::Advance(3 * kTickMs);
  ASSERT_TRUE(server.WaitForRequests(1, kPatience));
  ui::clock::Advance(10000 - 3 * kTickMs - 1);
  EXPECT_TRUE(Form22->IsShown());
  ui::clock::Advance(1);
  EXPECT_FALSE(Form22->IsShown());
  EXPECT_TRUE(vek::Form2->IsShown());
  EXPECT_EQ(Form22->PendingRequest(), nullptr);

  // The reply comes late: it changes nothing.
  server.Release();
  ui::clock::Advance(10000);
  EXPECT_FALSE(Form22->IsShown());
  EXPECT_EQ(vek::UpdateFetched, 0);
  EXPECT_EQ(vek::UpdateReply, "");
  EXPECT_EQ(server.Requests(), 1);
}

TEST_F(ToolsUpdateTest, AFailedRequestClosesTheWindowQuietly) {
  CheckAgainst(HttpReply("404 Not Found", kNewVersion));
  EXPECT_EQ(vek::UpdateFetched, 0);
  EXPECT_FALSE(Form22->IsShown());
  EXPECT_TRUE(vek::Form2->IsShown());
}

TEST_F(ToolsUpdateTest, TagReader) {
  struct Case {
    std::string reply;
    std::string tag;
    std::optional<std::string> value;
  };
  const std::string far(300, 'x');
  const std::vector<Case> cases = {
      {"<LatestVersionString>1.00\r\n", "<LatestVersionString>", "1.00"},
      {"<LatestVersionString>1.00", "<LatestVersionString>", "1.00"},  // to the very end
      {"<A>one\r\ntwo\nthree<B>x", "<A>", "onetwothree"},
      {"<A><B>x", "<A>", ""},
      {"<A>first<A>second", "<A>", "first"},
      {far + "<DownloadURL>http://a.example/b\r\n", "<DownloadURL>", "http://a.example/b"},
      {"<A>x", "<B>", std::nullopt},
      {"", "<A>", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    vek::UpdateReply = c.reply;
    EXPECT_EQ(vek::TForm22::GetTagValue(c.tag), c.value);
  }
}

TEST_F(ToolsUpdateTest, WhichRepliesOfferAnUpdate) {
  struct Case {
    std::string body;
    bool offers;
  };
  const std::vector<Case> cases = {
      {"<LatestVersionString>1.00\r\n<DownloadURL>http://d.example/\r\n", false},
      {"<DownloadURL>http://d.example/\r\n<LatestVersionString>1.00", false},
      {"<LatestVersionString>0.90\r\n<DownloadURL>https://d.example/\r\n", true},
      {"<LatestVersionString>1.10\r\n<DownloadURL>http://d.example/\r\n", true},
      {"<DownloadURL>http://d.example/\r\n", false},  // no version
      {"<LatestVersionString>1.10\r\n", false},       // nothing to download
      {"<LatestVersionString>1.10<DownloadURL>C:\\x.exe\r\n", false},
      {"<LatestVersionString>1.10<DownloadURL>file:///bin/sh\r\n", false},
      {"not an update file", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    vek::Form2->Hide();
    CheckAgainst(HttpReply("200 OK", c.body));
    EXPECT_EQ(vek::UpdateFetched, 1);
    EXPECT_EQ(PanelShown(), c.offers);
    EXPECT_EQ(vek::Form2->IsShown(), !c.offers);
    Form22->Hide();
  }
}

TEST_F(ToolsUpdateTest, AnUpdateShowsThePanelAndDownloadsThroughTheExitWipe) {
  std::vector<std::pair<std::string, std::string>> opened;
  platform::SetShellHookForTest([&](const std::string& verb, const std::string& target) {
    opened.emplace_back(verb, target);
  });
  CheckAgainst(HttpReply("200 OK", kNewVersion));
  ASSERT_TRUE(PanelShown());
  EXPECT_EQ(Form22->Caption(), "VEK 2003 - Version update found.");
  EXPECT_FALSE(Form22->Label8->Visible());
  for (ui::TControl* c :
       std::vector<ui::TControl*>{Form22->Label1, Form22->Label2, Form22->Label3, Form22->Label4,
                                  Form22->Label5, Form22->Label6, Form22->Button2}) {
    EXPECT_TRUE(c->Visible()) << c->Name();
  }
  EXPECT_EQ(Form22->Label3->Caption(), "1.00");
  EXPECT_EQ(Form22->Label5->Caption(), "1.10");
  EXPECT_EQ(Form22->Label6->Caption(), "Faster and safer.");
  EXPECT_EQ(vek::DownloadAddress, "http://downloads.example/vek.exe");
  EXPECT_FALSE(Form22->Timer2->Enabled());
  ui::clock::Advance(20000);  // the panel waits for its buttons
  EXPECT_TRUE(Form22->IsShown());
  Screenshot(Form22, "tools_update_found");

  Form22->Button1->Click();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], std::make_pair(std::string("open"), vek::DownloadAddress));
  EXPECT_TRUE(vek::ExitRequested);
  EXPECT_FALSE(Form22->IsShown());
  EXPECT_TRUE(vek::Form19->IsShown());
}

TEST_F(ToolsUpdateTest, CancelGoesOnToTheOptionsOnTheFirstStart) {
  vek::StartCount = 1;
  CheckAgainst(HttpReply("200 OK", kNewVersion));
  ASSERT_TRUE(PanelShown());
  Form22->Button2->Click();
  EXPECT_FALSE(Form22->IsShown());
  EXPECT_TRUE(vek::Form4->IsShown());
  EXPECT_FALSE(vek::Form2->IsShown());
}

// Only a web address is offered for the download: a reply naming anything
// else counts as no answer, and the window closes on to the main window.
TEST_F(ToolsUpdateTest, OnlyAWebAddressIsOfferedForTheDownload) {
  std::vector<std::pair<std::string, std::string>> opened;
  platform::SetShellHookForTest([&](const std::string& verb, const std::string& target) {
    opened.emplace_back(verb, target);
  });
  const std::pair<std::string, bool> cases[] = {
      {"http://downloads.example/vek.exe", true},
      {"HTTPS://downloads.example/vek.exe", true},
      {"ftp://downloads.example/vek.exe", false},
      {"C:\\vek.exe", false},
      {"file:///tmp/vek.exe", false},
      {"http://a b", false},
  };
  for (const auto& [address, offered] : cases) {
    SCOPED_TRACE(address);
    opened.clear();
    vek::Form2->Hide();
    CheckAgainst(
        HttpReply("200 OK", "<LatestVersionString>1.10\r\n<DownloadURL>" + address + "\r\n"));
    EXPECT_EQ(PanelShown(), offered);
    EXPECT_EQ(vek::Form2->IsShown(), !offered);
    if (!offered) {
      EXPECT_TRUE(opened.empty());
      continue;
    }
    Form22->Button1->Click();
    const std::vector<std::pair<std::string, std::string>> expected = {{"open", address}};
    EXPECT_EQ(opened, expected);
    EXPECT_TRUE(vek::Form19->IsShown());
    // Back to the start, the wipe not run.
    vek::Form19->Timer1->SetEnabled(false);
    vek::Form19->Hide();
    vek::ExitRequested = false;
  }
}

}  // namespace
