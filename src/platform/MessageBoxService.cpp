#include "platform/MessageBoxService.h"

#include <cstdio>

namespace lctune {

void ConsoleMessageBox::warning(const std::string& title, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

} // namespace lctune
