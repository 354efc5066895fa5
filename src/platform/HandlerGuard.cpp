#include "platform/HandlerGuard.h"

#include <stdexcept>

namespace lctune {

void reportHandlerError(MessageBoxService& boxes, std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        boxes.warning(kApplicationTitle, e.what());
    } catch (...) {
        boxes.warning(kApplicationTitle, "unexpected error");
    }
}

} // namespace lctune
