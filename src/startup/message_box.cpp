#include "startup/message_box.h"

#include <windows.h>

#include <utility>

namespace telvo {
namespace {

TBoxHandler& CurrentHandler() {
    static TBoxHandler handler;
    return handler;
}

int ShowSystemBox(const TBoxRequest& r) {
    if (r.Call == TBoxCall::MessageBoxExA)
        return MessageBoxExA(nullptr, r.Text.c_str(), r.Caption.c_str(), r.Style, r.LanguageId);
    return MessageBoxA(nullptr, r.Text.c_str(), r.Caption.c_str(), r.Style);
}

}  // namespace

int ShowBox(const TBoxRequest& request) {
    const TBoxHandler& handler = CurrentHandler();
    return handler ? handler(request) : ShowSystemBox(request);
}

TBoxHandler ReplaceBoxHandler(TBoxHandler handler) {
    return std::exchange(CurrentHandler(), std::move(handler));
}

}  // namespace telvo
