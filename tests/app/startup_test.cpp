#include "app/startup.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/headless/headless_backend.h"
#include "ui/unit1.h"
#include "ui/unit2.h"

#include <csignal>
#include <gtest/gtest.h>

using toolkit::headless::HeadlessBackend;

TEST(Startup, ShowsTheMainWindowCentredWithTheFocusInTheClockField)
{
    HeadlessBackend backend;
    backend.set_screen(1024, 768);
    bool checked = false;
    backend.script().call([&] {
        ASSERT_NE(ui::Form1, nullptr);
        ASSERT_NE(ui::AsetuksetLomake, nullptr);
        EXPECT_EQ(toolkit::Application->Title, "Siirtolux 1.0");
        EXPECT_EQ(toolkit::Application->MainForm(), ui::Form1);
        EXPECT_TRUE(ui::Form1->Visible());
        EXPECT_FALSE(ui::AsetuksetLomake->Visible());
        EXPECT_EQ(ui::Form1->Left(), (1024 - 408) / 2);
        EXPECT_EQ(ui::Form1->Top(), (768 - 218) / 2);
        EXPECT_EQ(ui::Form1->ActiveControl(), ui::Form1->Edit1);
        EXPECT_TRUE(ui::Form1->Timer1->is_running());
        EXPECT_FALSE(ui::Form1->Timer2->is_running());
        checked = true;
    });
    EXPECT_EQ(app::run(backend), 0);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(backend.boxes().empty());
}

TEST(Startup, WaysOfEndingExitWithZero)
{
    // clang-format off
    const struct { const char* what; std::function<void(toolkit::headless::Script&)> end; } cases[] = {
        { "Sulje",          [](auto& s) { s.click("Form1", "BitBtn1"); } },
        { "close box",      [](auto& s) { s.close("Form1"); } },
        { "Alt+F4",         [](auto& s) { toolkit::KeyEvent k; k.key = toolkit::Key::F4; k.alt = true; s.key(k); } },
        { "Alt+S",          [](auto& s) { s.key(toolkit::KeyEvent::character("s", true)); } },
        { "SIGTERM",        [](auto& s) { s.call([] { std::raise(SIGTERM); }); } },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessBackend backend;
        bool went_on = false;
        c.end(backend.script());
        backend.script().call([&] { went_on = true; });
        EXPECT_EQ(app::run(backend), 0);
        EXPECT_FALSE(went_on);
    }
}

TEST(Startup, SettingsWindowOpensModallyAndClosesWithoutEndingTheProgram)
{
    HeadlessBackend backend;
    bool still_running = false;
    backend.script()
        .click("Form1", "BitBtn4")
        .call([&] {
            EXPECT_TRUE(ui::AsetuksetLomake->Visible());
            EXPECT_FALSE(ui::Form1->Enabled());
            EXPECT_EQ(ui::AsetuksetLomake->ActiveControl(), ui::AsetuksetLomake->Edit1);
        })
        .click("Form1", "BitBtn1") // the main window takes no input meanwhile
        .click("AsetuksetLomake", "Button2") // "Poistu"
        .call([&] {
            EXPECT_FALSE(ui::AsetuksetLomake->Visible());
            EXPECT_TRUE(ui::Form1->Enabled());
            still_running = !toolkit::Application->Terminated();
        });
    EXPECT_EQ(app::run(backend), 0);
    EXPECT_TRUE(still_running);
}

TEST(Startup, FailureWhileCreatingTheWindowsShowsApplicationErrorAndExitsWithOne)
{
    const auto builtin = app::builtin_descriptions();
    std::string broken_main(builtin.main_window);
    broken_main.insert(broken_main.find("  ClientSize"), "  Colour 3\n");
    std::string corrupt_logo(builtin.main_window);
    corrupt_logo.replace(corrupt_logo.find("FF D8 FF"), 2, "00"); // the JPEG loses its start marker
    // clang-format off
    const struct { const char* what; std::string main; int timer_limit; const char* text; } cases[] = {
        { "bad description", broken_main, 1000,
          "DescriptionError: unit1.form:4: unknown property Colour of TForm1." },
        { "corrupt logo", corrupt_logo, 1000, nullptr },
        { "no timer left",   std::string(builtin.main_window), 0,
          "ResourceError: Not enough timers available." },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessBackend backend;
        backend.set_timer_limit(c.timer_limit);
        backend.script().dismiss();
        EXPECT_EQ(app::run(backend, { c.main, builtin.settings_window }), 1);
        ASSERT_EQ(backend.boxes().size(), 1u);
        EXPECT_EQ(backend.boxes()[0].caption, "Application Error");
        if (c.text)
            EXPECT_EQ(backend.boxes()[0].text, c.text);
        else
            EXPECT_EQ(backend.boxes()[0].text.rfind("DescriptionError: unit1.form:30: cannot read the TJPEGImage picture", 0), 0u)
                << backend.boxes()[0].text;
        EXPECT_EQ(backend.boxes()[0].icon, toolkit::BoxIcon::Stop);
        // Only the box was ever shown.
        EXPECT_EQ(backend.shown(), std::vector<std::string> { "MessageBox" });
    }
}

TEST(Startup, PicturesComeFromTheDescriptionDecoded)
{
    HeadlessBackend backend;
    backend.script().call([] {
        const auto& logo = ui::Form1->Image1->picture();
        EXPECT_EQ(logo.width, 37);
        EXPECT_EQ(logo.height, 37);
        // clang-format off
        const struct { toolkit::TBitBtn* button; int width; int height; } glyphs[] = {
            { ui::Form1->BitBtn1, 36, 18 }, { ui::Form1->BitBtn2, 32, 16 }, { ui::Form1->BitBtn4, 32, 16 },
        };
        // clang-format on
        for (const auto& g : glyphs) {
            SCOPED_TRACE(g.button->Name);
            EXPECT_EQ(g.button->glyph().width, g.width);
            EXPECT_EQ(g.button->glyph().height, g.height);
            EXPECT_EQ(g.button->NumGlyphs(), 2);
        }
        EXPECT_TRUE(ui::Form1->BitBtn3->glyph().empty());
    });
    EXPECT_EQ(app::run(backend), 0);
}
