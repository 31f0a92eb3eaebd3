// The text of the "Application Error" box that ends the process after an error nothing caught.
// Pure: no Windows calls.
#pragma once

#include <cstdint>
#include <string>

namespace telvo {

// "Exception <class> in module <module> at <address>.\r\n<message><.>\r\n": the address in eight
// upper-case hex digits, and a full stop after the message when it lacks one.
std::string FormatApplicationError(const std::string& className, const std::string& moduleName,
                                   uintptr_t address, const std::string& message);

// The text after the last backslash or slash of a path.
std::string FileNamePart(const std::string& path);

// What the box says about a hardware exception, by its code: the class name and the message.
// `info` is the first two ExceptionInformation entries (access kind and address of an access
// violation), `address` where it happened.
struct THardwareErrorText {
    std::string ClassName;
    std::string Message;
};
THardwareErrorText DescribeHardwareException(uint32_t code, uintptr_t address,
                                             const std::string& moduleName, uintptr_t accessKind,
                                             uintptr_t accessAddress);

}  // namespace telvo
