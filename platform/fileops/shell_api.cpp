#include "platform/fileops/shell_api.h"

namespace fileops {

namespace {
    Service& test_service()
    {
        static Service s;
        return s;
    }
} // namespace

void set_service_for_tests(Service service) { test_service() = std::move(service); }

int SHFileOperationA(SHFILEOPSTRUCTA* record, const RequestLists& lists)
{
    if (test_service())
        return test_service()(*record, lists);
    // The service itself is not here yet: nothing is carried out, and that is reported.
    return 1;
}

} // namespace fileops
