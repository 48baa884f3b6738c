#pragma once

#include <stdexcept>
#include <string>

namespace toolkit {

// The toolkit's own failures. Each carries the message the user sees in the error box.

// The system has no timer left for one more running timer.
class ResourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A list control refused a line.
class ListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A window description that cannot be loaded: bad syntax, an unknown control kind, property,
// handler or picture kind. Raised while the window is created.
class DescriptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace toolkit
