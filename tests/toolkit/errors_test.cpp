#include "test_form.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace toolkit;
using testing_forms::App;

TEST(ErrorBox, FullStopRule)
{
    // clang-format off
    const struct { const char* message; const char* shown; } cases[] = {
        { "Stream write error", "Stream write error." }, // ends in a letter
        { "Valmis.", "Valmis." },                        // a full stop is not doubled
        { "Valmis!", "Valmis!" },                        // "!" is below "."
        { "(x)", "(x)" },                                // ")" is below "."
        { "a,", "a," }, { "a-", "a-" }, { "a ", "a " },
        { "a:", "a:." },                                 // ":" is above "."
        { "a?", "a?." }, { "7", "7." },
        { "tyhjä", "tyhjä." },                           // a multi-byte last character
        { "", "" },                                      // nothing to end
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(TApplication::box_text(c.message), c.shown);
    }
}

TEST(ErrorBox, ErrorInAHandlerEndsItThere_ProgramGoesOn)
{
    App a;
    int steps_done = 0;
    int second_clicks = 0;
    a.main->on_click1 = [&] {
        ++steps_done;
        throw std::runtime_error("Cannot do it");
    };
    a.main->on_click2 = [&] { ++second_clicks; };
    bool box_was_active = false;
    a.script()
        .click("Main", "Button1")
        .call([&] {
            box_was_active = a.app->active_window()->is_message_box();
            EXPECT_FALSE(a.main->Enabled()); // the box disables the other windows
        })
        .dismiss()
        .call([&] {
            EXPECT_TRUE(a.main->Enabled());
            EXPECT_EQ(a.app->active_window(), a.main);
            EXPECT_EQ(a.main->ActiveControl(), a.main->find_control("Button1"));
        })
        .click("Main", "Button2");
    a.run();
    EXPECT_EQ(steps_done, 1);
    EXPECT_EQ(second_clicks, 1);
    EXPECT_TRUE(box_was_active);
    ASSERT_EQ(a.backend.boxes().size(), 1u);
    const auto& box = a.backend.boxes()[0];
    EXPECT_EQ(box.caption, "Test 1.0");
    EXPECT_EQ(box.text, "Cannot do it.");
    EXPECT_EQ(box.icon, BoxIcon::Stop);
    EXPECT_EQ(box.buttons, std::vector<std::string> { "OK" });
    EXPECT_EQ(box.focused, "OK");
}

TEST(ErrorBox, OverAnOpenModalWindowGivesItBackActivation)
{
    App a;
    a.main->on_click1 = [&] { a.dialog->ShowModal(); };
    int activations = 0;
    a.dialog->on_activate = [&] { ++activations; };
    a.dialog->on_click1 = [&] { throw std::runtime_error("Levy täynnä"); };
    a.script()
        .click("Main", "Button1")
        .click("Dialog", "Button1")
        .call([&] {
            EXPECT_FALSE(a.main->Enabled());
            EXPECT_FALSE(a.dialog->Enabled());
            EXPECT_TRUE(a.app->active_window()->is_message_box());
        })
        .dismiss()
        .call([&] {
            EXPECT_EQ(a.app->active_window(), a.dialog);
            EXPECT_TRUE(a.dialog->Enabled());
            EXPECT_FALSE(a.main->Enabled()); // still under the modal window
            EXPECT_EQ(a.dialog->ActiveControl(), a.dialog->find_control("Button1"));
            EXPECT_TRUE(a.dialog->Visible());
        })
        .close("Dialog")
        .call([&] { EXPECT_TRUE(a.main->Enabled()); });
    a.run();
    EXPECT_EQ(activations, 1); // dismissing the box is no new opening
    ASSERT_EQ(a.backend.boxes().size(), 1u);
    EXPECT_EQ(a.backend.boxes()[0].text, "Levy täynnä.");
}

TEST(ErrorBox, ErrorInATimerTickIsReportedAndTheTimerGoesOn)
{
    App a;
    int ticks = 0;
    a.main->on_tick = [&] {
        if (++ticks == 1)
            throw std::runtime_error("Unable to insert a line");
    };
    a.script().pass(500).dismiss().pass(500);
    a.run();
    EXPECT_EQ(ticks, 2);
    ASSERT_EQ(a.backend.boxes().size(), 1u);
    EXPECT_EQ(a.backend.boxes()[0].text, "Unable to insert a line.");
}
