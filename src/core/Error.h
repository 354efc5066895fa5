#pragma once
// The numbered errors that the signal classes raise (380, 381, 32000). Everything else reports
// failure by its return value.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace lctune {

class Error : public std::runtime_error {
public:
    Error(int32_t number, const std::string& message) : std::runtime_error(message), number_(number) {}
    int32_t number() const { return number_; }

private:
    int32_t number_;
};

} // namespace lctune
