#pragma once
// The installer's full-screen backdrop and main form: the title, the moving
// feature lines along the bottom, the measurements of the installer file at
// start-up, the drive space query of the folder page and the way out.

#include <array>
#include <cstdint>
#include <string_view>

#include "ui/form.h"

namespace vek::installer {

inline constexpr size_t FeatureLineCapacity = 59;
inline constexpr std::array<std::string_view, 23> FeatureLines = {
    "Introducing VEK 2003 for Windows 95/98/ME/NT/2000/XP",
    "VEK 1024 bit encryption protection for your files",
    "Enhanced protection with TARX(tm)",
    "Encrypt and protect PC files of any type",
    "Ideal protection for sensitive business data",
    "Or sending confidential Internet e-mail data",
    "Encrypt or decrypt files of most popular PC media",
    "Single, multiple, specific file types or whole folders",
    "Insert your personal or business contact details into files",
    "Automatic post-encryption data integrity checking",
    "Decryption authentication key checking",
    "Delete sensitive files without possible recovery",
    "Including all software and hardware forensic methods",
    "Virtual keyboard stamps out key logging spyware",
    "Automatic anti-hacker memory cleaning at shutdown",
    "Simple to use Windows user interface",
    "File information - over 400 extension types",
    "View hard/floppy/network drive statistics",
    "Bouncing password screen lock",
    "Free to use and to pass on - the terms are in README.txt",
    "24 / 7 website and customer support email",
    "Automatic software update notify via the Internet",
    "And much much more...!",
};

class TForm1 : public ui::TForm {
 public:
  ui::TImage* Image1 = nullptr;
  ui::TLabel* Label1 = nullptr;  // title, black
  ui::TLabel* Label2 = nullptr;  // title, white
  ui::TLabel* Label3 = nullptr;  // feature line, shadow
  ui::TLabel* Label4 = nullptr;  // feature line, yellow
  ui::TTimer* Timer1 = nullptr;  // opening delay
  ui::TTimer* Timer2 = nullptr;  // marquee

  void FormCreate();
  void FormShow();
  void Timer1Timer();
  void Timer2Timer();

  // Closes every window, this one last, which ends the program.
  void CloseAllForms();
  // FreeSpace := the bytes free to us on the drive.
  void MeasureDriveSpace(char letter);
  void PlaceMarquee(int x);
  // Where the program image of the installer file ends; 0 when it cannot be found.
  uint32_t GetPayloadOffset();
  // Size of the file, or -1 when it cannot be found.
  int64_t GetFileSize64(std::string_view path);

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  void ReadTrailer();
};

}  // namespace vek::installer
