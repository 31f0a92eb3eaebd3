#include "startup/code_page.h"

#include <windows.h>

namespace telvo {
namespace {

// Converts without best-fit look-alikes. Where the ANSI code page is UTF-8 every character has
// its exact counterpart, and the system refuses the flag and the default character there.
std::string Convert(const std::wstring& text, bool& exact) {
    exact = true;
    if (text.empty())
        return {};
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* standIn = utf8 ? nullptr : "?";
    BOOL usedStandIn = FALSE;
    BOOL* used = utf8 ? nullptr : &usedStandIn;
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_ACP, flags, text.data(), size, nullptr, 0, standIn, used);
    if (length <= 0) {
        exact = false;
        return {};
    }
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), size, ansi.data(), length, standIn, used);
    exact = !usedStandIn;
    return ansi;
}

TLeadBytes LeadBytesOf(UINT codePage) {
    TLeadBytes lead;
    CPINFO info{};
    if (!GetCPInfo(codePage, &info))
        return lead;
    // Pairs of bounds, inclusive, ended by a pair of zeros.
    for (size_t i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
        for (unsigned byte = info.LeadByte[i]; byte <= info.LeadByte[i + 1]; ++byte) lead.set(byte);
    return lead;
}

}  // namespace

const TLeadBytes& AnsiLeadBytes() {
    // The ANSI code page is fixed for the life of the process.
    static const TLeadBytes lead = LeadBytesOf(CP_ACP);
    return lead;
}

std::wstring WideFromAnsi(const std::string& text) {
    return WideFromCodePage(text, CP_ACP);
}

std::wstring WideFromCodePage(const std::string& text, uint32_t codePage) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

bool AnsiFromWide(const std::wstring& text, std::string& ansi) {
    bool exact = false;
    ansi = Convert(text, exact);
    return exact;
}

std::string AnsiOrQuestionMarks(const std::wstring& text) {
    bool exact = false;
    return Convert(text, exact);
}

}  // namespace telvo
