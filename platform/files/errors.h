#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace files {

// Every failure of the file layer is one of the three classes below. Their what() is the text
// the user sees in the error box, and each keeps the system's error number for callers that
// decide by it.

// A system call on `path` failed. what() reads `<operation> "<path>". <reason>`, for example
// `Cannot read folder "/srv/x". Permission denied`.
class SystemError : public std::runtime_error {
public:
    SystemError(std::string operation, std::string path, int code);

    const std::string& operation() const noexcept { return m_operation; }
    const std::string& path() const noexcept { return m_path; }
    int code() const noexcept { return m_code; }

private:
    std::string m_operation;
    std::string m_path;
    int m_code;
};

// A file could not be created or replaced. what() reads `Cannot create file "<path>". <reason>`;
// `path` is the full path that was tried.
class CreateError : public std::runtime_error {
public:
    CreateError(std::string path, int code);

    const std::string& path() const noexcept { return m_path; }
    int code() const noexcept { return m_code; }

private:
    std::string m_path;
    int m_code;
};

// A write did not take all of its bytes, or the system refused them. what() is always
// "Stream write error"; code() is the system's error number, or 0 for a write that came back
// short without one.
class WriteError : public std::runtime_error {
public:
    WriteError(std::string path, int code);

    const std::string& path() const noexcept { return m_path; }
    int code() const noexcept { return m_code; }

private:
    std::string m_path;
    int m_code;
};

// The system's description of an error number, as the error box shows it after ". ": trailing
// blanks, line breaks and full stops removed ("Permission denied").
std::string system_error_text(int errnum);

// `text` without its trailing blanks, tabs, line breaks and full stops.
std::string trim_reason(std::string_view text);

} // namespace files
