#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/state.h"
#include "platform/shell.h"
#include "program_fixture.h"
#include "tools/viewer_window.h"

namespace {

using vek::Form16;
using vek::ViewerRecord;

class ToolsViewerTest : public vektest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    platform::SetShellHookForTest([this](const std::string& verb, const std::string& target) {
      opened.emplace_back(verb, target);
    });
  }
  void TearDown() override {
    platform::SetShellHookForTest({});
    ProgramTest::TearDown();
  }
  static void ShowViewer() {
    Form16->Hide();
    Form16->Show();
  }

  std::vector<std::pair<std::string, std::string>> opened;
};

TEST_F(ToolsViewerTest, ShowsTheRecordsHeaderFields) {
  ViewerRecord.Name = "report.doc.vek";
  ViewerRecord.ContentSize = 12800;
  ViewerRecord.PreserveAttributes = true;
  ViewerRecord.Attributes = 0x21;  // read-only, archive
  ViewerRecord.Owner.OwnerCompany.Assign("Acme");
  ViewerRecord.Owner.InfoLines[1].Assign("second line");
  ViewerRecord.ProductLine = "VEK 2003";
  ViewerRecord.SoftwareVersion = {1, 0};
  ViewerRecord.FileFormatVersion = {2, 13};
  ShowViewer();

  EXPECT_EQ(Form16->Caption(), "More information on VEK file : report.doc.vek");
  EXPECT_EQ(Form16->Label18->Caption(), "12.5 KB");
  EXPECT_EQ(Form16->Label19->Caption(), "Yes");
  EXPECT_EQ(Form16->Label20->Caption(), " Read-only Archive ");
  EXPECT_EQ(Form16->Label22->Caption(), "Acme");
  EXPECT_EQ(Form16->Label25->Caption(), "N/A");
  EXPECT_EQ(Form16->Label26->Caption(), "second line");
  EXPECT_EQ(Form16->Label27->Caption(), "N/A");
  EXPECT_EQ(Form16->Label28->Caption(), "VEK 2003");
  EXPECT_EQ(Form16->Label29->Caption(), "1.0");
  EXPECT_EQ(Form16->Label30->Caption(), "2.13");
  Screenshot(Form16, "tools_viewer");

  ViewerRecord.PreserveAttributes = false;
  ShowViewer();
  EXPECT_EQ(Form16->Label19->Caption(), "No");
  EXPECT_EQ(Form16->Label20->Caption(), "N/A");
}

TEST_F(ToolsViewerTest, EncryptionTimeText) {
  struct Case {
    bool hasTimestamp;
    vek::TTimestampFields stamp;
    std::string shown;
  };
  const vek::TTimestampFields moment{15, 7, 5, 3, 9, 12, 2003};  // 1 = Sunday, so Tuesday
  const std::vector<Case> cases = {
      {false, moment, "N/A"},
      {true, {}, "N/A (To be determined at encryption time)"},
      {true, moment, "Tuesday 9th of December 2003, 3:07:05pm"},
  };
  for (const Case& c : cases) {
    ViewerRecord.HasTimestamp = c.hasTimestamp;
    ViewerRecord.Timestamp = c.stamp;
    ShowViewer();
    EXPECT_EQ(Form16->Label17->Caption(), c.shown) << c.shown;
  }
}

TEST_F(ToolsViewerTest, OwnerName) {
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"Ann", "Lee", "Ann Lee"}, {"", "Lee", " Lee"}, {"Ann", "", "Ann "}, {"", "", "N/A"}};
  for (const auto& [first, last, shown] : cases) {
    ViewerRecord.Owner.OwnerFirstName.Assign(first);
    ViewerRecord.Owner.OwnerLastName.Assign(last);
    ShowViewer();
    EXPECT_EQ(Form16->Label21->Caption(), shown) << first << "/" << last;
  }
}

TEST_F(ToolsViewerTest, LocationOpensOnlyWhenItIsAnAddressOrAFolder) {
  vektest::MakeFile(HostPath("tool.sh"), "#!/bin/sh\n");
  std::filesystem::create_directory(HostPath("shared"));
  struct Case {
    std::string location;
    std::string shown;
    bool clickable;
  };
  const std::vector<Case> cases = {
      {"None", "None", false},
      {"", "N/A", false},
      {"http://", "http://", true},
      {"HTTPS://www.example.com/get", "HTTPS://www.example.com/get", true},
      {"ftp://files.example.com/", "ftp://files.example.com/", true},
      {"C:\\shared\\", "C:\\shared\\", true},
      {"C:\\", "C:\\", true},
      {"C:\\missing\\", "C:\\missing\\", false},
      {"C:\\tool.sh", "C:\\tool.sh", false},
      {"tool.sh", "tool.sh", false},
      {"file:///etc/passwd", "file:///etc/passwd", false},
      {"http://a b", "http://a b", false},
      {"http://x\n-y", "http://x\n-y", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.location);
    opened.clear();
    ViewerRecord.Owner.OwnerLocation.Assign(c.location);
    ShowViewer();
    EXPECT_EQ(Form16->Label23->Caption(), c.shown);
    EXPECT_EQ(Form16->Label23->Enabled(), c.clickable);
    EXPECT_EQ(Form16->Label23->ShowHint(), c.clickable);
    Form16->Label23->Click();
    if (c.clickable) {
      EXPECT_EQ(Form16->Label23->Hint(), "Click to visit " + c.location);
      ASSERT_EQ(opened.size(), 1u);
      EXPECT_EQ(opened[0], std::make_pair(std::string("open"), c.location));
    } else {
      EXPECT_TRUE(opened.empty());
    }
  }
}

TEST_F(ToolsViewerTest, EmailOpensOnlyAsAPlainAddress) {
  struct Case {
    std::string email;
    std::string shown;
    bool clickable;
  };
  const std::vector<Case> cases = {
      {"None", "None", true},
      {"", "N/A", false},
      {"N/A", "N/A", false},
      {"ann@example.com", "ann@example.com", true},
      {"ann@example.com?attach=/etc/passwd", "ann@example.com?attach=/etc/passwd", false},
      {"ann@example.com&cc=x", "ann@example.com&cc=x", false},
      {"ann @example.com", "ann @example.com", false},
      {"ann@example.com\t", "ann@example.com\t", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.email);
    opened.clear();
    ViewerRecord.Owner.OwnerEmail.Assign(c.email);
    ShowViewer();
    EXPECT_EQ(Form16->Label24->Caption(), c.shown);
    EXPECT_EQ(Form16->Label24->Enabled(), c.clickable);
    EXPECT_EQ(Form16->Label24->ShowHint(), c.clickable);
    Form16->Label24->Click();
    if (c.clickable) {
      EXPECT_EQ(Form16->Label24->Hint(), "Click to E-mail " + c.email);
      ASSERT_EQ(opened.size(), 1u);
      EXPECT_EQ(opened[0], std::make_pair(std::string(), "mailto:" + c.email));
    } else {
      EXPECT_TRUE(opened.empty());
    }
  }
}

// A record refilled behind an open viewer is not what a click opens.
TEST_F(ToolsViewerTest, AClickOpensWhatTheLabelShows) {
  ViewerRecord.Owner.OwnerLocation.Assign("http://shown.example/");
  ShowViewer();
  ViewerRecord.Owner.OwnerLocation.Assign("C:\\");
  Form16->Label23->Click();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].second, "http://shown.example/");
}

TEST_F(ToolsViewerTest, WindowsInformation) {
  ViewerRecord.WindowsVersionText = "Windows XP Version 5.1 (Build 2600)";
  ViewerRecord.ProductId = "";
  ViewerRecord.RegisteredOwner = "Ann";
  ViewerRecord.RegisteredOrganization = "";
  ViewerRecord.ComputerName = "DESK";

  ViewerRecord.HasWindowsInfo = true;
  ShowViewer();
  EXPECT_EQ(Form16->Label31->Caption(), "Windows XP Version 5.1 (Build 2600) []");
  EXPECT_EQ(Form16->Label32->Caption(), "Ann");
  EXPECT_EQ(Form16->Label33->Caption(), "N/A");
  EXPECT_EQ(Form16->Label34->Caption(), "DESK");

  ViewerRecord.HasWindowsInfo = false;
  ShowViewer();
  for (ui::TLabel* label : {Form16->Label31, Form16->Label32, Form16->Label33, Form16->Label34}) {
    EXPECT_EQ(label->Caption(), "N/A") << label->Name();
  }
}

TEST_F(ToolsViewerTest, CloseHides) {
  ShowViewer();
  Form16->Button1->Click();
  EXPECT_FALSE(Form16->IsShown());
}

}  // namespace
