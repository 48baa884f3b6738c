#include "test_form.h"

#include <gtest/gtest.h>

using namespace toolkit;
using testing_forms::App;

namespace {
std::string focused(const App& a) { return a.app->active_window()->ActiveControl()->Name; }
} // namespace

TEST(Keyboard, TabWalksTheTabOrderSkippingWhatCannotTakeTheFocus)
{
    App a;
    std::vector<std::string> walk;
    auto note = [&] { walk.push_back(focused(a)); };
    a.script()
        .call(note) // Button1: first in tab order
        .key(Key::Tab)
        .call(note)
        .key(Key::Tab)
        .call(note)
        .key(Key::Tab) // wraps
        .call(note)
        .call([&] { a.main->find_control("Edit1")->SetEnabled(false); })
        .key(Key::Tab) // skips the disabled field
        .call(note)
        .key(Key::Tab, true) // Shift+Tab back
        .call(note)
        .call([&] { a.main->find_control("Button1")->SetVisible(false); })
        .key(Key::Tab, true) // skips the invisible button, wraps backwards
        .call(note);
    a.run();
    EXPECT_EQ(walk, (std::vector<std::string> { "Button1", "Edit1", "Button2", "Button1", "Button2", "Button1", "Button2" }));
}

TEST(Keyboard, KeysOnAButton)
{
    // clang-format off
    const struct { const char* what; KeyEvent key; int go; int other; const char* focus_after; } cases[] = {
        { "Enter presses it",             { Key::Enter, "", false, false, false }, 1, 0, "Button1" },
        { "Space presses it",             { Key::Space, "", false, false, false }, 1, 0, "Button1" },
        { "Right moves on",               { Key::Right, "", false, false, false }, 0, 0, "Edit1" },
        { "Down moves on",                { Key::Down, "", false, false, false },  0, 0, "Edit1" },
        { "Left moves back, wrapping",    { Key::Left, "", false, false, false },  0, 0, "Button2" },
        { "Up moves back, wrapping",      { Key::Up, "", false, false, false },    0, 0, "Button2" },
        { "Escape does nothing",          { Key::Escape, "", false, false, false }, 0, 0, "Button1" },
        { "its letter alone presses it",  KeyEvent::character("g"),                1, 0, "Button1" },
        { "capital letter too",           KeyEvent::character("G"),                1, 0, "Button1" },
        { "Alt + letter presses it",      KeyEvent::character("g", true),          1, 0, "Button1" },
        { "another letter does nothing",  KeyEvent::character("x"),                0, 0, "Button1" },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        App a;
        int go = 0, other = 0;
        a.main->on_click1 = [&] { ++go; };
        a.main->on_click2 = [&] { ++other; };
        std::string focus;
        a.script().key(c.key).call([&] { focus = focused(a); });
        a.run();
        EXPECT_EQ(go, c.go);
        EXPECT_EQ(other, c.other);
        EXPECT_EQ(focus, c.focus_after);
    }
}

TEST(Keyboard, InAnEditFieldLettersAreTextButAltPlusLetterIsTheAccelerator)
{
    App a;
    int go = 0;
    a.main->on_click1 = [&] { ++go; };
    auto* edit = dynamic_cast<TEdit*>(a.main->find_control("Edit1"));
    edit->SetText("vanha");
    a.script()
        .key(Key::Tab) // into the field: its text is selected
        .key(KeyEvent::character("g"))
        .key(KeyEvent::character("o"))
        .key(Key::Enter) // does nothing in a field
        .key(Key::Left) // the field's own caret key, no focus move
        .call([&] { EXPECT_EQ(focused(a), "Edit1"); })
        .key(KeyEvent::character("g", true));
    a.run();
    EXPECT_EQ(edit->Text(), "go");
    EXPECT_EQ(go, 1);
}

TEST(Keyboard, KeysForADisabledWindowAreDropped)
{
    App a;
    int go = 0;
    a.main->on_click1 = [&] { ++go; };
    a.script().call([&] { a.main->SetEnabled(false); }).key_to("Main", KeyEvent::character("g", true)).key_to("Main", { Key::Enter, "", false, false, false });
    a.run();
    EXPECT_EQ(go, 0);
}

TEST(Keyboard, ProgramClickRunsEvenWhenDisabled_UserClickDoesNot)
{
    App a;
    int go = 0;
    a.main->on_click1 = [&] { ++go; };
    TControl* button = a.main->find_control("Button1");
    a.script()
        .call([&] { button->SetEnabled(false); })
        .click("Main", "Button1")
        .call([&] { button->Click(); });
    a.run();
    EXPECT_EQ(go, 1);
}

TEST(Keyboard, BackEndsKnowWhichKeysTheDialogHandlingTakes)
{
    // A back-end whose fields edit text themselves posts only the keys for which is_dialog_key
    // says yes; if that disagreed with handle_key, keys would be lost or typed twice.
    const std::vector<KeyEvent> keys = {
        { Key::Tab, "", false, false, false }, { Key::Tab, "", true, false, false }, { Key::Tab, "", false, true, false },
        { Key::Enter, "", false, false, false }, { Key::Space, "", false, false, false }, { Key::Escape, "", false, false, false },
        { Key::Left, "", false, false, false }, { Key::Down, "", false, false, false }, { Key::F4, "", false, false, true },
        { Key::F4, "", false, false, false }, { Key::Backspace, "", false, false, false }, { Key::Home, "", false, false, false },
        KeyEvent::character("x"), KeyEvent::character("g", true), KeyEvent::character("ä"),
        { Key::Character, "c", false, true, false },
    };
    for (const char* focus : { "Button1", "Edit1" }) {
        for (const auto& key : keys) {
            SCOPED_TRACE(std::string(focus) + " key " + std::to_string(static_cast<int>(key.key)) + " " + key.text);
            App a;
            a.main->on_click1 = [] { };
            bool agreed = false;
            a.script().call([&] {
                a.main->SetActiveControl(a.main->find_control(focus));
                const bool predicted = a.app->is_dialog_key(*a.main, key);
                agreed = predicted == a.app->handle_key(*a.main, key);
            });
            a.run();
            EXPECT_TRUE(agreed);
        }
    }
}
