#include "app/process_end.h"

#include <cstdlib>
#include <utility>

namespace {

TProcessEndHandler &Handler() {
    static TProcessEndHandler handler;
    return handler;
}

}  // namespace

TProcessEndHandler SetProcessEndHandler(TProcessEndHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

void EndProcessNow(int exitCode) {
    if (Handler()) Handler()(exitCode);
    std::_Exit(exitCode);
}
