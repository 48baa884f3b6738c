#pragma once

#include "platform/toolkit/picture.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace toolkit {

class TObject;
using TNotifyEvent = std::function<void(TObject* Sender)>;

// One value of a property line in a window description.
struct PropertyValue {
    enum class Type { String, Number, Identifier, Binary };
    Type type = Type::Identifier;
    std::string text; // String and Identifier
    long long number = 0; // Number
    std::vector<std::uint8_t> bytes; // Binary
};

// A property line as the loader hands it to a component, with what the loader can resolve.
class PropertySetter {
public:
    virtual ~PropertySetter() = default;
    virtual const std::string& name() const = 0;
    virtual const std::vector<PropertyValue>& values() const = 0;

    // Each of these throws DescriptionError when the line does not hold what is asked for.
    virtual std::string string() const = 0;
    virtual int number() const = 0;
    virtual std::vector<int> numbers(std::size_t count) const = 0;
    virtual bool boolean() const = 0;
    virtual std::string identifier() const = 0;
    virtual TNotifyEvent handler() const = 0; // the window's member of the named handler
    virtual Picture picture() const = 0; // an inline picture: kind name, byte count, file
    virtual Picture bitmap() const = 0; // an inline bitmap: byte count, file
    [[noreturn]] virtual void unknown() const = 0; // the property does not exist
};

} // namespace toolkit
