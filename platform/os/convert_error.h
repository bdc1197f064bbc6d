#pragma once
// The error a text raises that does not convert to a number.

#include <stdexcept>

namespace vdx::os {

class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace vdx::os
