#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

namespace fileops {

// The file-operation request as the service takes it: byte-packed, 30 bytes. The pointer fields
// are 32 bits wide, so on this 64-bit system they hold handles that stand for the caller's path
// lists during one call (see RequestLists); 0 stands for null.
#pragma pack(push, 1)
struct SHFILEOPSTRUCTA {
    std::uint32_t hwnd;
    std::uint32_t wFunc;
    std::uint32_t pFrom;
    std::uint32_t pTo;
    std::uint16_t fFlags;
    std::int32_t fAnyOperationsAborted;
    std::uint32_t hNameMappings;
    std::uint32_t lpszProgressTitle;
};
#pragma pack(pop)

static_assert(sizeof(SHFILEOPSTRUCTA) == 30);
static_assert(offsetof(SHFILEOPSTRUCTA, hwnd) == 0);
static_assert(offsetof(SHFILEOPSTRUCTA, wFunc) == 4);
static_assert(offsetof(SHFILEOPSTRUCTA, pFrom) == 8);
static_assert(offsetof(SHFILEOPSTRUCTA, pTo) == 12);
static_assert(offsetof(SHFILEOPSTRUCTA, fFlags) == 16);
static_assert(offsetof(SHFILEOPSTRUCTA, fAnyOperationsAborted) == 18);
static_assert(offsetof(SHFILEOPSTRUCTA, hNameMappings) == 22);
static_assert(offsetof(SHFILEOPSTRUCTA, lpszProgressTitle) == 26);

// Packed members must not be bound to references or pointers (misaligned access), so fields are
// read and written through these.
template <class T> T get_field(const SHFILEOPSTRUCTA& record, std::size_t offset)
{
    T value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(&record) + offset, sizeof value);
    return value;
}
template <class T> void set_field(SHFILEOPSTRUCTA& record, std::size_t offset, T value)
{
    std::memcpy(reinterpret_cast<unsigned char*>(&record) + offset, &value, sizeof value);
}

// Operation codes.
constexpr std::uint32_t FO_MOVE = 1;
constexpr std::uint32_t FO_COPY = 2;
constexpr std::uint32_t FO_DELETE = 3;
constexpr std::uint32_t FO_RENAME = 4;

// Option flags.
constexpr std::uint16_t FOF_MULTIDESTFILES = 0x0001;
constexpr std::uint16_t FOF_SILENT = 0x0004;
constexpr std::uint16_t FOF_RENAMEONCOLLISION = 0x0008;
constexpr std::uint16_t FOF_NOCONFIRMATION = 0x0010;
constexpr std::uint16_t FOF_ALLOWUNDO = 0x0040;
constexpr std::uint16_t FOF_FILESONLY = 0x0080;
constexpr std::uint16_t FOF_SIMPLEPROGRESS = 0x0100;
constexpr std::uint16_t FOF_NOCONFIRMMKDIR = 0x0200;
constexpr std::uint16_t FOF_NOERRORUI = 0x0400;
constexpr std::uint16_t FOF_NORECURSION = 0x1000;

// The handles of one call's path lists.
constexpr std::uint32_t from_list_handle = 1;
constexpr std::uint32_t to_list_handle = 2;

// The path lists that a request's handles stand for: each is paths ended by one NUL, the whole
// list ended by one more.
struct RequestLists {
    std::string from;
    std::optional<std::string> to;
};

// Carries out a request and waits until it is done; returns 0 when every item succeeded, else
// an error code, and may set fAnyOperationsAborted in the record.
int SHFileOperationA(SHFILEOPSTRUCTA* record, const RequestLists& lists);

// Tests only: requests go to `service` instead of the real one until it is reset (empty).
using Service = std::function<int(SHFILEOPSTRUCTA& record, const RequestLists& lists)>;
void set_service_for_tests(Service service);

} // namespace fileops
