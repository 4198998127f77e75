// The file browser: drive combo box, directory list and file list. They
// see drives, folders and files only through the platform layer, in
// Windows terms.
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QStyle>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "platform/drives.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "ui/controls.h"
#include "ui/detail/control_extras.h"
#include "ui/detail/list_widget.h"
#include "ui/detail/qt_convert.h"
#include "ui/detail/widgets.h"

namespace ui {
namespace {

using detail::As;

char Upper(char letter) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

std::string RootOf(char letter) {
  return std::string(1, letter) + ":\\";
}

// The current folder of each drive, as the browser last left it.
std::map<char, std::string>& CurrentFolders() {
  static std::map<char, std::string> folders;
  return folders;
}

std::string StartFolder() {
  std::string folder = platform::CurrentDirectory();
  if (!folder.empty()) return folder;
  const auto& map = platform::DriveMap();
  return map.empty() ? RootOf('C') : RootOf(map.front().Letter);
}

std::string CurrentFolderOf(char letter) {
  if (auto it = CurrentFolders().find(letter);
      it != CurrentFolders().end() && platform::DirectoryExists(it->second)) {
    return it->second;
  }
  const std::string start = StartFolder();
  return Upper(start[0]) == letter ? start : RootOf(letter);
}

// "c:/a\b\..\c\" -> "C:\a\c"; "C:" -> "C:\". Empty when it is no absolute path.
std::string NormalizeFolder(std::string_view path) {
  if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0]))) {
    return {};
  }
  std::vector<std::string> parts;
  std::string part;
  const auto flush = [&] {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (char c : path.substr(2)) {
    if (c == '\\' || c == '/') {
      flush();
    } else {
      part += c;
    }
  }
  flush();
  std::string folder = RootOf(Upper(path[0]));
  for (size_t i = 0; i < parts.size(); ++i) folder += (i > 0 ? "\\" : "") + parts[i];
  return folder;
}

// --- drive combo box ---------------------------------------------------------------

class DriveComboWidget : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::vector<char> drives;
  std::vector<std::string> entries;  // as shown, one a drive
  char drive = 0;
  bool upperCase = false;
  TDirectoryListBox* dirList = nullptr;
};

std::string DriveEntry(char letter, bool upperCase) {
  std::string entry = std::string(1, letter) + ":";
  const std::string root = RootOf(letter);
  platform::VolumeInformation volume;
  if (platform::GetDriveType(root) != platform::drive::Removable &&
      platform::GetVolumeInformation(root, &volume) && !volume.VolumeName.empty()) {
    entry += " [" + volume.VolumeName + "]";
  }
  for (char& c : entry) {
    c = upperCase ? Upper(c) : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return entry;
}

// --- directory list ----------------------------------------------------------------

struct FolderItem {
  std::string name;  // "C:\" for the root
  std::string path;
};

class DirListWidget : public detail::ListWidget {
 public:
  using detail::ListWidget::ListWidget;
  std::string directory;
  std::vector<FolderItem> items;
  TFileListBox* fileList = nullptr;
};

// The chain from the root to `folder`, then its sub-folders.
std::vector<FolderItem> FolderItems(const std::string& folder, int* currentIndex) {
  std::vector<FolderItem> items;
  std::string path = folder.substr(0, 3);
  items.push_back({path, path});
  size_t start = 3;
  while (start < folder.size()) {
    size_t end = folder.find('\\', start);
    if (end == std::string::npos) end = folder.size();
    const std::string name = folder.substr(start, end - start);
    path = platform::IncludeTrailingBackslash(path) + name;
    items.push_back({name, path});
    start = end + 1;
  }
  *currentIndex = static_cast<int>(items.size()) - 1;
  const std::string prefix = platform::IncludeTrailingBackslash(folder);
  for (const auto& entry : platform::FindFiles(prefix + "*.*", platform::attr::Directory)) {
    if ((entry.Attr & platform::attr::Directory) != 0)
      items.push_back({entry.Name, prefix + entry.Name});
  }
  return items;
}

// --- file list ---------------------------------------------------------------------

class FileListWidget : public detail::ListWidget {
 public:
  using detail::ListWidget::ListWidget;
  std::string directory;
  std::string mask = "*.*";
  uint32_t fileType = platform::attr::Normal;
  std::vector<std::string> names;
};

// Whether a search entry belongs in a file list with this attribute filter:
// folders only on request; with Normal every file the search returned,
// otherwise files carrying one of the filter's attributes.
bool Listed(const platform::SearchRec& entry, uint32_t fileType) {
  namespace attr = platform::attr;
  if ((entry.Attr & attr::Directory) != 0) return (fileType & attr::Directory) != 0;
  if ((fileType & attr::Normal) != 0) return true;
  const uint32_t kinds = attr::ReadOnly | attr::Hidden | attr::System | attr::Archive;
  return (entry.Attr & fileType & kinds) != 0;
}

// Names of the files that match any of the ";"-separated masks, by name.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& masks,
                                   uint32_t fileType) {
  std::set<std::string> names;
  const std::string prefix = platform::IncludeTrailingBackslash(folder);
  size_t start = 0;
  while (start <= masks.size()) {
    size_t end = masks.find(';', start);
    if (end == std::string::npos) end = masks.size();
    const std::string mask = masks.substr(start, end - start);
    if (!mask.empty()) {
      for (const auto& entry : platform::FindFiles(prefix + mask, fileType)) {
        if (!Listed(entry, fileType)) continue;
        const bool folderEntry = (entry.Attr & platform::attr::Directory) != 0;
        names.insert(folderEntry ? "[" + entry.Name + "]" : entry.Name);
      }
    }
    start = end + 1;
  }
  return {names.begin(), names.end()};
}

}  // namespace

// --- TDriveComboBox -------------------------------------------------------------------

TDriveComboBox::TDriveComboBox(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent,
               new DriveComboWidget(detail::ContainerWidget(form, parent))) {
  auto* combo = As<DriveComboWidget>(this);
  Refresh();
  const char start = Upper(StartFolder()[0]);
  combo->drive = 0;
  SetDrive(start);
  if (combo->drive == 0 && !combo->drives.empty()) SetDrive(combo->drives.front());
  QObject::connect(combo, &QComboBox::activated, [this, combo](int index) {
    FireClick();
    if (index >= 0 && static_cast<size_t>(index) < combo->drives.size()) {
      SetDrive(combo->drives[static_cast<size_t>(index)]);
    }
  });
}

char TDriveComboBox::Drive() const {
  return As<DriveComboWidget>(this)->drive;
}

void TDriveComboBox::SetDrive(char letter) {
  auto* combo = As<DriveComboWidget>(this);
  letter = Upper(letter);
  const auto found = std::find(combo->drives.begin(), combo->drives.end(), letter);
  if (found == combo->drives.end()) return;
  combo->setCurrentIndex(static_cast<int>(found - combo->drives.begin()));
  if (letter == combo->drive) return;
  combo->drive = letter;
  if (combo->dirList != nullptr) combo->dirList->SetDirectory(CurrentFolderOf(letter));
  if (OnChange) OnChange();
}

std::string TDriveComboBox::Text() const {
  auto* combo = As<DriveComboWidget>(this);
  const int index = combo->currentIndex();
  return index >= 0 && combo->drive != 0 ? combo->entries[static_cast<size_t>(index)]
                                         : std::string();
}

std::vector<char> TDriveComboBox::Drives() const {
  return As<DriveComboWidget>(this)->drives;
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list) {
  auto* combo = As<DriveComboWidget>(this);
  combo->dirList = list;
  if (list != nullptr && combo->drive != 0 && list->Drive() != combo->drive) {
    list->SetDirectory(CurrentFolderOf(combo->drive));
  }
}

void TDriveComboBox::Refresh() {
  auto* combo = As<DriveComboWidget>(this);
  std::set<char> letters;
  for (const auto& mapping : platform::DriveMap()) letters.insert(Upper(mapping.Letter));
  combo->drives.assign(letters.begin(), letters.end());
  combo->entries.clear();
  combo->clear();
  const QIcon icon = combo->style()->standardIcon(QStyle::SP_DriveHDIcon);
  for (char letter : combo->drives) {
    combo->entries.push_back(DriveEntry(letter, combo->upperCase));
    combo->addItem(icon, detail::ToQString(combo->entries.back()));
  }
  const auto found = std::find(combo->drives.begin(), combo->drives.end(), combo->drive);
  if (found == combo->drives.end()) {
    combo->drive = 0;
    combo->setCurrentIndex(-1);
  } else {
    combo->setCurrentIndex(static_cast<int>(found - combo->drives.begin()));
  }
}

void detail::SetDriveTextUpperCase(TDriveComboBox& drives, bool upper) {
  As<DriveComboWidget>(&drives)->upperCase = upper;
  drives.Refresh();
}

// --- TDirectoryListBox ----------------------------------------------------------------

TDirectoryListBox::TDirectoryListBox(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent,
               new DirListWidget(detail::ContainerWidget(form, parent))) {
  auto* list = As<DirListWidget>(this);
  SetDirectory(StartFolder());
  list->onClick = [this] { FireClick(); };
  QObject::connect(list, &QListWidget::itemDoubleClicked, [this, list](QListWidgetItem* item) {
    const int row = list->row(item);
    SetDirectory(ItemPath(row));
    FireDblClick();
  });
}

std::string TDirectoryListBox::Directory() const {
  return As<DirListWidget>(this)->directory;
}

void TDirectoryListBox::SetDirectory(std::string_view path) {
  auto* list = As<DirListWidget>(this);
  const std::string folder = NormalizeFolder(path);
  if (folder.empty() || folder == list->directory) return;
  list->directory = folder;
  CurrentFolders()[folder[0]] = folder;
  Refresh();
  if (list->fileList != nullptr) list->fileList->SetDirectory(folder);
  if (OnChange) OnChange();
}

char TDirectoryListBox::Drive() const {
  const std::string& directory = As<DirListWidget>(this)->directory;
  return directory.empty() ? 0 : directory[0];
}

int TDirectoryListBox::ItemCount() const {
  return static_cast<int>(As<DirListWidget>(this)->items.size());
}

std::string TDirectoryListBox::ItemText(int index) const {
  const auto& items = As<DirListWidget>(this)->items;
  return index >= 0 && index < ItemCount() ? items[static_cast<size_t>(index)].name : std::string();
}

std::string TDirectoryListBox::ItemPath(int index) const {
  const auto& items = As<DirListWidget>(this)->items;
  return index >= 0 && index < ItemCount() ? items[static_cast<size_t>(index)].path : std::string();
}

int TDirectoryListBox::ItemIndex() const {
  return As<DirListWidget>(this)->currentRow();
}
void TDirectoryListBox::SetItemIndex(int index) {
  As<DirListWidget>(this)->SelectRow(index);
}

void TDirectoryListBox::SetFileList(TFileListBox* list) {
  As<DirListWidget>(this)->fileList = list;
  if (list != nullptr) list->SetDirectory(Directory());
}

void TDirectoryListBox::Refresh() {
  auto* list = As<DirListWidget>(this);
  int current = 0;
  list->items = FolderItems(list->directory, &current);
  const QIcon open = list->style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = list->style()->standardIcon(QStyle::SP_DirClosedIcon);
  list->Program([&] {
    list->clear();
    for (size_t i = 0; i < list->items.size(); ++i) {
      const int depth = std::min(static_cast<int>(i), current + 1);
      const QString indent(depth * 3, QLatin1Char(' '));
      const bool onPath = static_cast<int>(i) <= current;
      list->addItem(new QListWidgetItem(onPath ? open : closed,
                                        indent + detail::ToQString(list->items[i].name)));
    }
  });
  list->SelectRow(current);
}

// --- TFileListBox ---------------------------------------------------------------------

TFileListBox::TFileListBox(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent,
               new FileListWidget(detail::ContainerWidget(form, parent))) {
  auto* list = As<FileListWidget>(this);
  SetDirectory(StartFolder());
  list->onClick = [this] { FireClick(); };
  QObject::connect(list, &QListWidget::itemDoubleClicked, [this] { FireDblClick(); });
}

std::string TFileListBox::Directory() const {
  return As<FileListWidget>(this)->directory;
}

void TFileListBox::SetDirectory(std::string_view path) {
  const std::string folder = NormalizeFolder(path);
  if (folder.empty()) return;
  As<FileListWidget>(this)->directory = folder;
  Update();
}

std::string TFileListBox::Mask() const {
  return As<FileListWidget>(this)->mask;
}

void TFileListBox::SetMask(std::string_view mask) {
  As<FileListWidget>(this)->mask = mask.empty() ? "*.*" : std::string(mask);
  Update();
}

uint32_t TFileListBox::FileType() const {
  return As<FileListWidget>(this)->fileType;
}

void TFileListBox::SetFileType(uint32_t attrs) {
  As<FileListWidget>(this)->fileType = attrs;
  Update();
}

int TFileListBox::ItemCount() const {
  return static_cast<int>(As<FileListWidget>(this)->names.size());
}

std::string TFileListBox::Item(int index) const {
  const auto& names = As<FileListWidget>(this)->names;
  return index >= 0 && index < ItemCount() ? names[static_cast<size_t>(index)] : std::string();
}

int TFileListBox::ItemIndex() const {
  return As<FileListWidget>(this)->currentRow();
}
void TFileListBox::SetItemIndex(int index) {
  As<FileListWidget>(this)->SelectRow(index);
}

std::string TFileListBox::FileName() const {
  const int index = ItemIndex();
  if (index < 0) return {};
  return platform::IncludeTrailingBackslash(Directory()) + Item(index);
}

void TFileListBox::Update() {
  auto* list = As<FileListWidget>(this);
  list->names = ListFiles(list->directory, list->mask, list->fileType);
  const QIcon icon = list->style()->standardIcon(QStyle::SP_FileIcon);
  list->Program([&] {
    list->clear();
    for (const std::string& name : list->names)
      list->addItem(new QListWidgetItem(icon, detail::ToQString(name)));
  });
  list->SelectRow(-1);
}

}  // namespace ui
