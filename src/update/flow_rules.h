// Small rules of the update flow over texts and bytes. Pure: no Windows calls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace telvo {

// The extension of a data file name with its dot: the text from its last "." on ("" without).
std::string DataFileExtension(std::string_view dataFileName);

// The data file name up to the first occurrence of its extension: "vost" for "vost.cok".
std::string DataFileBaseName(std::string_view dataFileName, std::string_view extension);

// The installed version from the first bytes of an installed data file: the fifth byte minus
// 32; a file that ends before its fifth byte counts as version -32.
int32_t InstalledVersionFromHeader(std::string_view firstBytes);

// Silent mode: the first command word is "modest" (already lower-cased).
bool IsSilentMode(std::string_view commandWord);

// The second argument asks for the application to be started after a silent update.
bool WantsApplicationStarted(std::string_view secondArgument);

// Whether the run may start the application: every interactive run may (its last question
// offers it), a silent one only when asked with "runapp".
bool MayStartApplication(std::string_view commandWord, std::string_view secondArgument);

}  // namespace telvo
