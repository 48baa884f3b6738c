#include "platform/fileops/shell_api.h"
#include "shell/shell_operations.h"

#include <array>
#include <gtest/gtest.h>

using namespace fileops;

namespace {

struct Captured {
    int calls = 0;
    std::array<unsigned char, 30> bytes {};
    RequestLists lists;
};

// Takes the service's place for one test and records what it was handed.
class ServiceDouble {
public:
    explicit ServiceDouble(int result = 0, bool abort = false)
    {
        set_service_for_tests([this, result, abort](SHFILEOPSTRUCTA& record, const RequestLists& lists) {
            ++captured.calls;
            std::memcpy(captured.bytes.data(), &record, 30);
            captured.lists = lists;
            if (abort)
                set_field<std::int32_t>(record, offsetof(SHFILEOPSTRUCTA, fAnyOperationsAborted), 1);
            return result;
        });
    }
    ~ServiceDouble() { set_service_for_tests(nullptr); }
    Captured captured;
};

std::array<unsigned char, 30> record_bytes(std::uint32_t func, std::uint32_t to, std::uint16_t flags)
{
    // clang-format off
    return { 0, 0, 0, 0,                          // hwnd: no owner
             static_cast<unsigned char>(func), 0, 0, 0,
             1, 0, 0, 0,                          // pFrom: the source or path list
             static_cast<unsigned char>(to), 0, 0, 0,
             static_cast<unsigned char>(flags & 0xFF), static_cast<unsigned char>(flags >> 8),
             0, 0, 0, 0,                          // fAnyOperationsAborted
             0, 0, 0, 0,                          // hNameMappings
             0, 0, 0, 0 };                        // lpszProgressTitle
    // clang-format on
}

} // namespace

TEST(ShellRequests, RecordsAndListsAsHandedToTheService)
{
    using namespace std::string_literals;
    // clang-format off
    const struct { const char* what; bool copy; std::string a; std::string b; } cases[] = {
        { "default copy",         true,  "C:\\Omat tiedostot", "C:\\Varakopiot" },
        { "empty texts",          true,  "", "" },                       // lists of no path: two NULs
        { "blanks kept",          true,  " C:\\a b ", "  D:\\x  " },
        { "relative path",        true,  "Varakopiot", "..\\muu" },
        { "wildcard",             true,  "C:\\Kansio\\*.txt", "C:\\Kohde" },
        { "several names = one",  true,  "a;b c", "d" },
        { "default delete",       false, "C:\\oma tiedosto", "" },
        { "empty delete",         false, "", "" },
        { "wildcard delete",      false, " C:\\x\\*", "" },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ServiceDouble service;
        if (c.copy)
            shell::ShellCopy(c.a, c.b);
        else
            shell::ShellDelete(c.a);
        const auto& got = service.captured;
        ASSERT_EQ(got.calls, 1);
        EXPECT_EQ(got.bytes, c.copy ? record_bytes(FO_COPY, 2, 0x0080) : record_bytes(FO_DELETE, 0, 0x0014));
        EXPECT_EQ(got.lists.from, c.a + "\0\0"s);
        if (c.copy)
            EXPECT_EQ(got.lists.to, c.b + "\0\0"s);
        else
            EXPECT_FALSE(got.lists.to.has_value());
    }
}

TEST(ShellRequests, CopyGivesBackTheServicesOutcome)
{
    // clang-format off
    const struct { int result; bool aborted; bool succeeded; } cases[] = {
        { 0, false, true },   // every item copied
        { 5, false, false },  // an item failed
        { 0, true,  false },  // broken off with nothing failed yet
        { 5, true,  false },  // an error, then broken off
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.result << " " << c.aborted);
        ServiceDouble service(c.result, c.aborted);
        const shell::Outcome o = shell::ShellCopy("a", "b");
        EXPECT_EQ(o.result, c.result);
        EXPECT_EQ(o.aborted, c.aborted);
        EXPECT_EQ(o.succeeded(), c.succeeded);
    }
}

TEST(ShellRequests, ExhaustedMemoryHandsNothingOver)
{
    ServiceDouble service;
    shell::fail_allocation_for_tests(true);
    EXPECT_THROW(shell::ShellCopy("a", "b"), shell::OutOfMemory);
    EXPECT_THROW(shell::ShellDelete("a"), shell::OutOfMemory);
    shell::fail_allocation_for_tests(false);
    EXPECT_EQ(service.captured.calls, 0);
    try {
        shell::fail_allocation_for_tests(true);
        shell::ShellDelete("a");
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Out of memory");
    }
    shell::fail_allocation_for_tests(false);
}
