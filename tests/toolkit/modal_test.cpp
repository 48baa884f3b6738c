#include "test_form.h"

#include <gtest/gtest.h>

using namespace toolkit;
using testing_forms::App;

TEST(Modal, DisablesExactlyTheWindowsThatWereEnabledAndGivesThemBack)
{
    App a;
    auto* third = a.app->CreateForm<testing_forms::TTestForm>(
        R"(window Third : TTestForm
             ClientSize 50 50
           end)",
        "third.form");
    third->Show();
    third->SetEnabled(false); // already disabled before the opening: stays so
    a.main->on_click1 = [&] { a.dialog->ShowModal(); };
    a.script()
        .click("Main", "Button1")
        .call([&] {
            EXPECT_FALSE(a.main->Enabled());
            EXPECT_TRUE(a.dialog->Enabled());
        })
        .click("Main", "Button2") // a disabled window takes no clicks
        .close("Main") // nor close requests
        .close("Dialog");
    int main_clicks = 0;
    a.main->on_click2 = [&] { ++main_clicks; };
    a.run();
    EXPECT_EQ(main_clicks, 0);
    EXPECT_TRUE(a.main->Enabled());
    EXPECT_FALSE(third->Enabled());
    EXPECT_FALSE(a.dialog->Visible());
}

TEST(Modal, CentredAtFirstOpeningThenWhereItWasLeft)
{
    App a; // screen 1000 x 800
    a.main->on_click1 = [&] { a.dialog->ShowModal(); };
    std::vector<std::pair<int, int>> places;
    auto note = [&] { places.emplace_back(a.dialog->Left(), a.dialog->Top()); };
    a.script()
        .click("Main", "Button1")
        .call(note)
        .move("Dialog", 10, 20)
        .close("Dialog")
        .click("Main", "Button1")
        .call(note)
        .close("Dialog");
    a.run();
    // (1000 - 120) / 2 and (800 - 80) / 2
    EXPECT_EQ(places, (std::vector<std::pair<int, int>> { { 440, 360 }, { 10, 20 } }));
}

TEST(Modal, FocusFirstAtFirstOpeningThenWhereItWasLeft)
{
    App a;
    a.main->on_click1 = [&] { a.dialog->ShowModal(); };
    std::vector<std::string> focus;
    auto note = [&] { focus.push_back(a.dialog->ActiveControl()->Name); };
    a.script()
        .click("Main", "Button1")
        .call(note)
        .key(Key::Tab)
        .close("Dialog")
        .click("Main", "Button1")
        .call(note)
        .close("Dialog")
        .call([&] { EXPECT_EQ(a.app->active_window(), a.main); });
    a.run();
    EXPECT_EQ(focus, (std::vector<std::string> { "Edit1", "Button1" }));
}

TEST(Modal, ActivationHandlerRunsOncePerOpeningOnly)
{
    App a;
    int activations = 0;
    a.dialog->on_activate = [&] { ++activations; };
    a.main->on_click1 = [&] { a.dialog->ShowModal(); };
    a.script()
        .click("Main", "Button1")
        .deactivate()
        .reactivate() // another program and back: no new activation
        .close("Dialog")
        .click("Main", "Button1")
        .close("Dialog");
    a.run();
    EXPECT_EQ(activations, 2);
}

TEST(Modal, CloseBoxOfTheMainWindowEndsTheProgram)
{
    App a;
    bool later = false;
    a.script().close("Main").call([&] { later = true; });
    a.run();
    EXPECT_TRUE(a.app->Terminated());
    EXPECT_FALSE(later);
}
