#include "discovery/path_rules.h"

namespace telvo {

void AddTrailingBackslash(std::string& folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
}

}  // namespace telvo
