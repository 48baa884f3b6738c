#include "app/startup.h"
#include "platform/toolkit/headless/headless_backend.h"

int main()
{
    toolkit::headless::HeadlessBackend backend;
    return app::run(backend);
}
