#pragma once
// User data in the program-wide variables, put there by kind, for the tests
// that check what the start-state reset and the exit wipe leave of it.

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

#include "core/state.h"

namespace statetest {

// Something that is not zero in every byte of a plain value.
template <class T>
void FillNonZero(T& value) {
  if constexpr (std::is_same_v<T, bool>) {
    value = true;
  } else {
    static_assert(std::is_trivially_copyable_v<T>);
    std::memset(static_cast<void*>(&value), 1, sizeof value);
  }
}

inline vek::TEmbeddedData SomeOwner() {
  vek::TEmbeddedData owner;
  owner.OwnerFirstName.Assign("Ann");
  owner.OwnerLastName.Assign("Lee");
  owner.OwnerCompany.Assign("Acme");
  owner.OwnerLocation.Assign("http://acme.example/");
  owner.OwnerEmail.Assign("ann@acme.example");
  for (auto& line : owner.InfoLines) line.Assign("private note");
  return owner;
}

// Every field of a file record holds something.
inline void FillFileRecord(vek::TCurrentFile& file) {
  file.Name = "secret.doc.vek";
  file.Folder = "C:\\private\\";
  FillNonZero(file.Size);
  FillNonZero(file.Created);
  FillNonZero(file.Modified);
  FillNonZero(file.Accessed);
  FillNonZero(file.Attributes);
  FillNonZero(file.Status);
  FillNonZero(file.IsVekFile);
  file.ProductLine = "product";
  FillNonZero(file.SoftwareVersion);
  FillNonZero(file.FileFormatVersion);
  file.Owner = SomeOwner();
  FillNonZero(file.HasTimestamp);
  FillNonZero(file.Timestamp);
  FillNonZero(file.PreserveAttributes);
  FillNonZero(file.HeaderAttributes);
  FillNonZero(file.HasWindowsInfo);
  file.WindowsVersionText = "Windows XP";
  file.RegisteredOwner = "Ann Lee";
  file.RegisteredOrganization = "Acme";
  file.ComputerName = "DESK";
  file.ProductId = "12345-OEM";
  FillNonZero(file.ContentSize);
  FillNonZero(file.DataStart);
}

// The first and the last job entries with something in every field.
inline void FillEdgeEntries(vek::TJobList& list) {
  for (size_t i : {size_t{1}, size_t{vek::JobListCapacityMax}}) {
    list.ForEachField([i](auto& field) {
      using T = std::remove_reference_t<decltype(field[i])>;
      if constexpr (std::is_same_v<T, std::string>) {
        field[i] = "secret";
      } else if constexpr (std::is_same_v<T, vek::TEmbeddedData>) {
        field[i] = SomeOwner();
      } else {
        FillNonZero(field[i]);
      }
    });
  }
}

// A program-wide variable of any kind the state holds, with user data in it.
template <class T>
void FillWithUserData(T& value) {
  if constexpr (std::is_same_v<T, std::string>) {
    value = std::string("user data of ") + "C:\\private\\";
  } else if constexpr (std::is_same_v<T, vek::TJobList>) {
    FillNonZero(value.JobCount);
    FillNonZero(value.JobListCapacity);
    FillNonZero(value.JobTotalSize);
    FillNonZero(value.SelectedRow);
    FillEdgeEntries(value);
  } else if constexpr (std::is_same_v<T, vek::TCurrentFile>) {
    FillFileRecord(value);
  } else if constexpr (std::is_same_v<T, vek::TEditedEntry>) {
    value.Name = "secret.doc";
    value.Size = 1000;
    value.Owner = SomeOwner();
    value.HasTimestamp = value.PreserveAttributes = value.HasWindowsInfo = true;
  } else if constexpr (std::is_same_v<T, vek::TKeystreamStore>) {
    vek::TKeyState key;
    key.SetKey("secret");
    value.Begin(key);
    uint8_t data[64] = {};
    value.Encipher(key, data, sizeof data);
  } else if constexpr (requires { value.Assign("secret"); }) {
    value.Assign("secret");
  } else {
    FillNonZero(value);
  }
}

}  // namespace statetest
