// The error that registry reads and writes raise. Only the places the design names catch it;
// anywhere else it reaches the entry, which reports it in the "Application Error" box.
#pragma once

#include <stdexcept>
#include <string>

namespace telvo {

class ERegistryException : public std::runtime_error {
  public:
    explicit ERegistryException(const std::string& message);
    // Where the error was raised, for the "Application Error" box.
    const void* Address() const { return RaisedAt; }

  private:
    const void* RaisedAt;
};

}  // namespace telvo
