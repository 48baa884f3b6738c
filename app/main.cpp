#include "app/startup.h"
#include "platform/toolkit/fltk/fltk_backend.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

int main()
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        std::fprintf(stderr,
            "siirtolux: no X display (DISPLAY is not set).\n"
            "Start it from a desktop session, or on a virtual display: xvfb-run -s '-dpi 96' %s\n",
            "siirtolux");
        return 1;
    }
    try {
        toolkit::fltk::FltkBackend backend;
        return app::run(backend);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "siirtolux: %s (DISPLAY=%s)\n", e.what(), display);
        return 1;
    }
}
