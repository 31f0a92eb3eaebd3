// Folder rules every path of the package passes through, and the reading of the install folder
// from an uninstall entry. Pure: no Windows calls. Every folder text is read with the lead bytes
// of its code page (startup/lead_bytes.h), so that the second byte of a double-byte character is
// never taken for a backslash.
#pragma once

#include <string>
#include <string_view>

#include "startup/lead_bytes.h"

namespace telvo {

// The position of the last backslash character (not the second byte of a double-byte
// character) that starts before `end`, or npos.
size_t LastBackslashBefore(std::string_view text, size_t end, const TLeadBytes& leadBytes);

// Makes a non-empty text end in a backslash character: appends one where its last character is
// not one, and a second where the text ended in a lead byte with nothing after it (which takes
// the first as its second byte). An empty text stays empty; "C:" becomes "C:\" and "C:\" stays
// as it is. A second call changes nothing.
void AddTrailingBackslash(std::string& folder, const TLeadBytes& leadBytes);

// The folder of the program that an "UninstallString" names, with its trailing backslash, or ""
// when the text names no folder. The cut is the last backslash before the text's last character, so
// a text that ends in a backslash gives the folder above it and arguments behind the program's
// path go with its file name unless they hold a backslash themselves. A text that begins with a
// double quote is cut inside the quotes (up to the closing quote, or to the end when there is
// none): installer tools write the path quoted, and a folder that began with a quote could never
// be found.
std::string UninstallFolderPart(std::string_view uninstallString, const TLeadBytes& leadBytes);

// The path of the 32-bit registry view's twin of `keyPath` as 64-bit Windows shows it:
// "WOW6432Node\" goes in after the first backslash, or in front when there is none.
std::string Wow6432KeyPath(std::string_view keyPath);

}  // namespace telvo
