// The fixed texts of the companion windows, each compared with what the
// user is meant to read.

#include <gtest/gtest.h>

#include "control_texts.h"
#include "program_fixture.h"
#include "tools/drive_info_window.h"
#include "tools/editor_window.h"
#include "tools/exit_wipe_window.h"
#include "tools/screen_lock_window.h"
#include "tools/update_window.h"
#include "tools/viewer_window.h"

namespace {

class ToolsWindowTextsTest : public vektest::ProgramTest {};

TEST_F(ToolsWindowTextsTest, TheViewersTexts) {
  vektest::ExpectFormShows(
      vek::Form16,
      {" Basic file information : ", "Encryption time/date :", "Encrypted file size :",
       "Preserves file attributes :", "File attributes :", " Owner specific information : ",
       "File owner name :", "Company name :", "Download location :", "E-mail address :",
       "Additional information :", " VEK specific information : ", "Encryption software :",
       "Software version :", "File format version :", "Windows platform :", "Windows user name :",
       "Windows organization :", "Windows machine name :"});
  vektest::ExpectControlTexts(vek::Form16, {{"Button1", "&Close", "Close this window.."}});
}

TEST_F(ToolsWindowTextsTest, TheEditorsTexts) {
  vektest::ExpectFormShows(
      vek::Form18,
      {" Information : ", "Customise the embedded data in this file to your",
       "personal or business requirements...",
       "This information will be embedded into this VEK 2003 encrypted file ",
       "This information is publicly viewable information and is not encrypted with the content "
       "of your file.",
       "Applying additional information to your encrypted file(s) helps others",
       "to establish original ownership, contact details and other information.",
       "Owners first name :", "Owners last name :", "Company name :", "Download location :",
       "E-mail address :", "Additional file", "information :", "None", "http://", "ftp://", "C:\\",
       "Z:\\"});
  vektest::ExpectControlTexts(
      vek::Form18,
      {{"Edit1", nullptr, "Owner's first name for encrypted file.."},
       {"Edit2", nullptr, "Owner's last name for encrypted file.."},
       {"Edit3", nullptr, "Company or organization name for encrypted file.."},
       {"ComboBox1", nullptr,
        "Location of the file where it can be downloaded from, or company web site address.."},
       {"Edit4", nullptr, "E-mail address of the owner or company on the Internet for contact.."},
       {"Edit5", nullptr, "Line 1 of 3 for additional information about this file.."},
       {"Edit6", nullptr, "Line 2 of 3 for additional information about this file.."},
       {"Edit7", nullptr, "Line 3 of 3 for additional information about this file.."},
       {"CheckBox1", "Timestamp encryption",
        "Click to enable/disable time and date this file was encrypted.."},
       {"CheckBox2", "Preserve file attributes",
        "Click to enable/disable saving/restoration of files attributes when encrypted.."},
       {"CheckBox3", "Windows information", nullptr},
       {"Button1", "&Clear all fields", "Click to reset contents of all fields and options.."},
       {"Button2", "Use &default information",
        "Click to use the default file information with this file.."},
       {"Button3", "Use in &all joblist file(s)",
        "Click to apply this information in all file(s) currently in the joblist.."},
       {"Button4", "&Edit default information", "Click to edit the information used for default.."},
       {"Button5", "&Review", "Click to view all information embedded with this file.."},
       {"Button6", "&Apply changes", "Click to apply this information for this file.."},
       {"Button7", "&Cancel changes", "Click here to cancel all changes made for this file.."}});
}

TEST_F(ToolsWindowTextsTest, TheUpdateWindowsTexts) {
  vektest::ExpectControlTexts(
      vek::Form22,
      {{"Label7", "One moment please...", nullptr},
       {"Label8", "Connecting to updates server", nullptr},
       {"Label1", "An updated version of VEK 2003 is now available for download.", nullptr},
       {"Label2", "Currently running version :", nullptr},
       {"Label4", "Download version available :", nullptr},
       {"Button1", "&Download the latest version from the Internet now", nullptr},
       {"Button2", "&Cancel", nullptr}});
  vek::Form22->Show();
  EXPECT_EQ(vek::Form22->Caption(), "VEK 2003 - Checking for software updates");
  vek::Form22->Hide();
}

TEST_F(ToolsWindowTextsTest, TheExitWipeAndScreenLockTexts) {
  EXPECT_EQ(vek::Form19->Caption(), "Cleaning memory");
  vektest::ExpectFormShows(vek::Form19, {"Erasing potentially sensitive",
                                         "data in PC memory before", "shutting down VEK 2003..."});
  vektest::ExpectControlTexts(vek::Form17,
                              {{"GroupBox1", " Application locked by user : ", nullptr},
                               {"Label1", "Enter screen lock password :", nullptr},
                               {"Edit1", nullptr, "Enter password here.."},
                               {"Button1", "&Unlock", nullptr}});
}

TEST_F(ToolsWindowTextsTest, TheDriveInformationTexts) {
  vektest::ExpectFormShows(vek::Form14, {" Basic drive information : ",
                                         "Drive type :",
                                         "Used space :",
                                         "Free space :",
                                         "Total capacity :",
                                         "Used :",
                                         " Detailed drive information : ",
                                         "Serial number :",
                                         "Bytes per sector :",
                                         "Sectors per cluster :",
                                         "Bytes per cluster :",
                                         "Used clusters :",
                                         "Free clusters :",
                                         "Total clusters :",
                                         "Case is preserved :",
                                         "Case sensitive :",
                                         "Unicode on disk :",
                                         "Persistent access control lists :",
                                         "Supports file compression :",
                                         "Volume is compressed :",
                                         "Supports long filenames :",
                                         "Supports file encryption :",
                                         "Supports object ID's :",
                                         "Supports resparse points :",
                                         "Supports sparse files :",
                                         "Supports disk quotas :"});
  vektest::ExpectControlTexts(vek::Form14, {{"Button1", "&Close", "Close this window.."}});
}

}  // namespace
