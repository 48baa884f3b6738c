#include "app/startup.h"

#include "platform/toolkit/application.h"
#include "ui/descriptions.h"
#include "ui/unit1.h"
#include "ui/unit2.h"

#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace app {

namespace {
    void read_regional_settings() { }

    void register_picture_kinds() { }

    std::string type_name(const std::exception& e)
    {
        int status = 0;
        std::unique_ptr<char, void (*)(void*)> demangled(
            abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status), std::free);
        std::string name = status == 0 && demangled ? demangled.get() : typeid(e).name();
        // The kind without its namespaces: "ResourceError", not "toolkit::ResourceError".
        const auto colon = name.rfind("::");
        return colon == std::string::npos ? name : name.substr(colon + 2);
    }
} // namespace

Descriptions builtin_descriptions() { return { embedded::unit1_form(), embedded::unit2_form() }; }

std::string describe_startup_error(const std::exception& error)
{
    return toolkit::TApplication::box_text(type_name(error) + ": " + error.what());
}

int run(toolkit::Backend& backend, const Descriptions& descriptions)
{
    toolkit::TApplication application(backend);
    read_regional_settings();
    register_picture_kinds();
    application.OnSettingsChange = read_regional_settings;
    application.Title = "Siirtolux 1.0";

    // No message is taken from the queue until both windows exist, so no tick can reach a
    // handler of a window that is not there yet.
    try {
        ui::Form1 = application.CreateForm<ui::TForm1>(descriptions.main_window, "unit1.form");
        ui::AsetuksetLomake
            = application.CreateForm<ui::TAsetuksetLomake>(descriptions.settings_window, "unit2.form");
    } catch (const std::exception& e) {
        application.stop_all_timers();
        application.message_box(describe_startup_error(e), "Application Error", toolkit::BoxIcon::Stop,
            { { "OK", toolkit::mrOk } }, 0, toolkit::mrOk, false);
        ui::Form1 = nullptr;
        ui::AsetuksetLomake = nullptr;
        return 1;
    }

    application.Run();

    // Nothing is written or asked at exit; the windows go with the application.
    ui::Form1 = nullptr;
    ui::AsetuksetLomake = nullptr;
    return 0;
}

} // namespace app
