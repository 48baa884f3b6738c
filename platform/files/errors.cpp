#include "platform/files/errors.h"

#include <cstring>

namespace files {

namespace {

std::string quoted_message(const std::string& operation, const std::string& path, int code)
{
    return operation + " \"" + path + "\". " + system_error_text(code);
}

} // namespace

SystemError::SystemError(std::string operation, std::string path, int code)
    : std::runtime_error(quoted_message(operation, path, code))
    , m_operation(std::move(operation))
    , m_path(std::move(path))
    , m_code(code)
{
}

CreateError::CreateError(std::string path, int code)
    : std::runtime_error(quoted_message("Cannot create file", path, code))
    , m_path(std::move(path))
    , m_code(code)
{
}

WriteError::WriteError(std::string path, int code)
    : std::runtime_error("Stream write error")
    , m_path(std::move(path))
    , m_code(code)
{
}

std::string system_error_text(int errnum)
{
    // The GNU strerror_r is thread-safe and returns either its own buffer or a static text.
    char buffer[256];
    const char* text = strerror_r(errnum, buffer, sizeof buffer);
    return trim_reason(text);
}

std::string trim_reason(std::string_view text)
{
    const auto end = text.find_last_not_of(" \t\r\n.");
    return std::string(text.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

} // namespace files
