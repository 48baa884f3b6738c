#include "app/startup.h"

#include "backup/clock_settings.h"
#include "platform/regional/locale_sources.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/settings_watch.h"
#include "platform/toolkit/pictures/pictures.h"
#include "ui/descriptions.h"
#include "ui/unit1.h"
#include "ui/unit2.h"

#include <algorithm>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace app {

namespace {
    void read_regional_settings() { backup::LoadDateTimeSettings(); }

    toolkit::Picture to_picture(toolkit::pictures::Image image)
    {
        return { image.width, image.height, std::move(image.rgba) };
    }

    std::span<const std::uint8_t> bytes_of(std::string_view s)
    {
        return { reinterpret_cast<const std::uint8_t*>(s.data()), s.size() };
    }

    void register_picture_kinds()
    {
        using namespace toolkit;
        PictureKinds::register_kind({ "TJPEGImage", { "jpeg", "jpg" }, "JPEG Image File",
            [](std::span<const std::uint8_t> b) { return to_picture(pictures::decode_jpeg(b)); } });
        PictureKinds::register_kind({ "TBitmap", { "bmp" }, "Bitmaps",
            [](std::span<const std::uint8_t> b) { return to_picture(pictures::decode_bmp(b)); } });
    }

    // The program icon for the windows' task-bar entries: its largest image.
    void set_program_icon(toolkit::TApplication& application)
    {
        auto images = toolkit::pictures::decode_ico(bytes_of(embedded::program_icon()));
        const auto largest = std::max_element(images.begin(), images.end(),
            [](const auto& a, const auto& b) { return a.width < b.width; });
        if (largest != images.end())
            application.SetIcon(to_picture(std::move(*largest)));
    }

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
    const toolkit::SettingsFileWatch locale_settings_watch(
        application.queue(), regional::LocaleSources::from_environment().locale_conf_path);
    application.Title = "Siirtolux 1.0";
    set_program_icon(application);

    // No message is taken from the queue until both windows exist, so no tick can reach a
    // handler of a window that is not there yet.
    try {
        ui::Form1 = application.CreateForm<ui::TForm1>(descriptions.main_window, "unit1.form");
        ui::AsetuksetLomake
            = application.CreateForm<ui::TAsetuksetLomake>(descriptions.settings_window, "unit2.form");
    } catch (const std::exception& e) {
        // No tick may reach a handler of a window that was only half made.
        application.stop_all_timers();
        application.message_box(describe_startup_error(e), "Application Error", toolkit::BoxIcon::Stop,
            { { "OK", toolkit::mrOk } }, 0, toolkit::mrOk);
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
