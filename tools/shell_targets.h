#pragma once
// What the companion windows may hand to the desktop shell. Owner data and
// update replies are written by strangers, so a text is opened only when it
// plainly is what it claims to be: a web address, an existing folder or a
// mail address.

#include <string_view>

namespace vek {

// "http://..." or "https://..." (also "ftp://..." when `allowFtp`), the
// scheme in any case, with no blanks or control characters anywhere.
bool IsWebAddress(std::string_view text, bool allowFtp);
// A drive-rooted Windows path ("C:\...") of a folder that exists.
bool IsExistingFolder(std::string_view text);
// A bare mail address: not empty, no blanks, control characters, "?" or "&",
// so that "mailto:" + address cannot carry a subject, a body or attachments.
bool IsPlainEmailAddress(std::string_view text);

}  // namespace vek
