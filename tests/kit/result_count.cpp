#include "kit/result_count.h"

#include <fstream>
#include <sstream>

namespace telvo::kit {

namespace {

std::string Attribute(const std::string& tag, const std::string& name) {
    const std::string key = " " + name + "=\"";
    const size_t at = tag.find(key);
    if (at == std::string::npos)
        return "";
    const size_t start = at + key.size();
    return tag.substr(start, tag.find('"', start) - start);
}

}  // namespace

void TResultCount::Add(const TResultCount& other) {
    Passed += other.Passed;
    Failed += other.Failed;
    Skipped += other.Skipped;
    FailedNames.insert(FailedNames.end(), other.FailedNames.begin(), other.FailedNames.end());
}

TResultCount CountResults(const std::string& xml) {
    TResultCount count;
    for (size_t at = xml.find("<testcase "); at != std::string::npos;) {
        // Attribute values are escaped, so the tag ends at the first '>'.
        const size_t tagEnd = xml.find('>', at);
        if (tagEnd == std::string::npos)
            break;
        const std::string tag = xml.substr(at, tagEnd - at + 1);
        const size_t next = xml.find("<testcase ", tagEnd);
        const bool empty = tag.size() >= 2 && tag[tag.size() - 2] == '/';
        const std::string body =
            empty ? "" : xml.substr(tagEnd, xml.find("</testcase>", tagEnd) - tagEnd);
        at = next;
        if (Attribute(tag, "status") != "run")
            continue;
        // GoogleTest calls a case skipped only when nothing in it failed; a skip message may
        // quote anything, so the skip is decided first.
        if (Attribute(tag, "result") == "skipped") {
            ++count.Skipped;
        } else if (body.find("<failure") != std::string::npos) {
            ++count.Failed;
            count.FailedNames.push_back(Attribute(tag, "classname") + "." + Attribute(tag, "name"));
        } else {
            ++count.Passed;
        }
    }
    return count;
}

std::string ClosingLine(const TResultCount& count) {
    return std::to_string(count.Passed) + " passed, " + std::to_string(count.Failed) + " failed, " +
           std::to_string(count.Skipped) + " skipped";
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace telvo::kit
