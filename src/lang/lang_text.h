// Reading the text of the application's language files: lines, entries, integers and the
// placeholders of message texts. Pure: works on the file's bytes, never on the file.
//
// A language file is single-byte text shown in the system's ANSI code page exactly as stored.
// An entry is a header line "[key]" followed by its first line (taken whole, never
// interpreted) and its further lines, which run up to the first blank line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace telvo {

// The lines of a language file's bytes. CR LF and a lone LF end a line; a CR not followed by LF
// is dropped; byte 26 (Ctrl-Z) ends the text and nothing after it is read. A last line without
// an ending counts; nothing after the last ending does not make an extra line.
std::vector<std::string> SplitLangLines(std::string_view text);

// True when `line` is a header of `key`: it begins with "[" in its first column and, stripped
// of bytes 0-32 at both ends and with ASCII letters in lower case, the lower-cased key and "]"
// first occur right after that "[". What follows the "]" is a remark.
bool IsLangHeader(std::string_view line, std::string_view key);

// One message of a language file. An empty first line means the file has no message.
struct TLangMessage {
    std::string FirstLine;                  // as stored, blanks included
    std::vector<std::string> FurtherLines;  // as stored, up to the first blank line
};

// The message under the first header of `key` in `text`. A missing header, a header on the last
// line and an entry whose first line is empty all give the empty message, so the caller can look
// elsewhere.
TLangMessage FindLangMessage(std::string_view text, std::string_view key);

// The message's lines joined by CR LF, with no line break at the end; "" for the empty message.
std::string JoinLangLines(const TLangMessage& message);

// Splits a text at its CR LF pairs; "" gives no lines.
std::vector<std::string> SplitAtLineBreaks(std::string_view text);

// The integer a language file may hold: optional leading spaces, an optional sign, then decimal
// digits, or hexadecimal ones after "$", "x", "X", "0x" or "0X". Nothing may follow the digits.
// Decimal values must lie within the signed 32-bit range; hexadecimal ones are 32-bit patterns
// ("$FFFFFFFF" is -1). nullopt when the text is no such integer, the empty text included.
std::optional<int32_t> ParseLangInteger(std::string_view text);

// Puts the parameters in place of "%1" to "%4", each number only after the one before it was
// found and replaced (so a "%2" that the first parameter brings in is replaced too); the chain
// stops at the first number that does not occur or has no parameter, leaving later placeholders
// as written.
std::string SubstituteLangParams(std::string text, const std::vector<std::string>& params);

}  // namespace telvo
