// Folder rules every path of the package passes through, and the reading of the install folder
// from an uninstall entry. Pure: no Windows calls.
#pragma once

#include <string>
#include <string_view>

namespace telvo {

// Appends one backslash to a non-empty text that does not already end in one; an empty text
// stays empty (so "C:" becomes "C:\" and "C:\" stays as it is).
void AddTrailingBackslash(std::string& folder);

// The folder of the program that an "UninstallString" names, with its trailing backslash, or ""
// when the text names no folder. The cut is the last backslash before the text's last byte, so
// a text that ends in a backslash gives the folder above it and arguments behind the program's
// path go with its file name unless they hold a backslash themselves. A text that begins with a
// double quote is cut inside the quotes (up to the closing quote, or to the end when there is
// none): installer tools write the path quoted, and a folder that began with a quote could never
// be found.
std::string UninstallFolderPart(std::string_view uninstallString);

// The path of the 32-bit registry view's twin of `keyPath` as 64-bit Windows shows it:
// "WOW6432Node\" goes in after the first backslash, or in front when there is none.
std::string Wow6432KeyPath(std::string_view keyPath);

}  // namespace telvo
