#pragma once
// The class library's error classes that the control library raises.

#include <stdexcept>

namespace vdx::gui {

// A checked cast to the wrong class.
class EInvalidCast : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// An index outside a list.
class EListError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};
// Assign from an object of an unrelated class.
class EAssignError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace vdx::gui
