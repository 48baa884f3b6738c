#include "app/startup.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/headless/headless_backend.h"
#include "ui/unit1.h"
#include "ui/unit2.h"

#include <gtest/gtest.h>

using namespace toolkit;
using toolkit::headless::HeadlessBackend;

namespace {
std::string focused_name() { return Application->active_window()->ActiveControl()->Name; }
} // namespace

TEST(MainWindow, ControlsAsDeclared)
{
    // clang-format off
    const struct { const char* name; const char* kind; Rect bounds; const char* text; bool visible; int tab; } rows[] = {
        { "Edit1",    "TEdit",    { 16, 24, 121, 21 },  "",                           true,  0 },
        { "ListBox1", "TListBox", { 16, 72, 289, 89 },  "",                           true,  1 },
        { "Label1",   "TLabel",   { 16, 56, 60, 13 },   "Tapahtumat:",                true, -1 },
        { "Label2",   "TLabel",   { 16, 8, 24, 13 },    "Aika:",                      true, -1 },
        { "Image1",   "TImage",   { 144, 16, 41, 41 },  "",                           true, -1 },
        { "Label3",   "TLabel",   { 192, 13, 90, 16 },  "Siirtolux 1.0",              true, -1 },
        { "BitBtn1",  "TBitBtn",  { 312, 16, 89, 25 },  "&Sulje",                     true,  2 },
        { "BitBtn2",  "TBitBtn",  { 312, 72, 89, 25 },  "Kopioi",                     true,  3 },
        { "BitBtn4",  "TBitBtn",  { 312, 104, 89, 25 }, "Asetukset",                  true,  4 },
        { "BitBtn3",  "TBitBtn",  { 312, 183, 89, 25 }, "Lisää",                      false, 5 },
        { "Edit2",    "TEdit",    { 16, 184, 145, 21 }, "C:\\Omat tiedostot",         true,  6 },
        { "Edit3",    "TEdit",    { 168, 184, 137, 21 }, "C:\\Varakopiot",            true,  7 },
        { "Label6",   "TLabel",   { 16, 168, 83, 13 },  "Mistä kopioidaan:",          true, -1 },
        { "Label7",   "TLabel",   { 168, 168, 87, 13 }, "Minne kopioidaan:",          true, -1 },
        { "Edit4",    "TEdit",    { 16, 260, 145, 21 }, "",                           true,  8 },
        { "Edit5",    "TEdit",    { 168, 260, 137, 21 }, "",                          true,  9 },
    };
    // clang-format on
    HeadlessBackend backend;
    backend.script().call([&] {
        ui::TForm1& f = *ui::Form1;
        EXPECT_EQ(f.Caption(), "Siirtolux 1.0");
        EXPECT_EQ(f.ClientWidth(), 408);
        EXPECT_EQ(f.ClientHeight(), 218);
        for (const auto& r : rows) {
            SCOPED_TRACE(r.name);
            TControl* c = f.find_control(r.name);
            ASSERT_NE(c, nullptr);
            EXPECT_STREQ(c->ClassName(), r.kind);
            EXPECT_EQ(c->Bounds(), r.bounds);
            EXPECT_EQ(c->Text(), r.text);
            EXPECT_EQ(c->Visible(), r.visible);
            EXPECT_TRUE(c->Enabled());
            EXPECT_EQ(c->TabOrder(), r.tab);
        }
        EXPECT_EQ(f.ListBox1->Items(), std::vector<std::string> { "Odotan kopiointi käskyä..." });
        EXPECT_EQ(f.Label3->font(), (Font { 13, true }));
        EXPECT_EQ(f.Edit1->font(), (Font { 11, false }));
        EXPECT_EQ(f.BitBtn1->kind(), TBitBtn::Kind::Close);
        EXPECT_EQ(f.BitBtn1->Spacing(), 10);
        EXPECT_EQ(f.BitBtn4->Spacing(), 8);
        EXPECT_EQ(f.Timer1->Interval(), 500);
        EXPECT_TRUE(f.Timer1->is_running());
        EXPECT_EQ(f.Timer2->Interval(), 500);
        EXPECT_FALSE(f.Timer2->Enabled());
    });
    EXPECT_EQ(app::run(backend), 0);
}

TEST(MainWindow, TabWalksTheTabOrderAndSkipsLisaaAndADisabledKopioi)
{
    HeadlessBackend backend;
    std::vector<std::string> walk;
    auto& s = backend.script();
    s.call([&] { walk.push_back(focused_name()); });
    for (int i = 0; i < 9; ++i)
        s.key(Key::Tab).call([&] { walk.push_back(focused_name()); });
    s.call([] { ui::Form1->BitBtn2->SetEnabled(false); });
    for (int i = 0; i < 3; ++i)
        s.key(Key::Tab).call([&] { walk.push_back(focused_name()); });
    s.key(Key::Tab, true).call([&] { walk.push_back(focused_name()); });
    EXPECT_EQ(app::run(backend), 0);
    const std::vector<std::string> expected = { "Edit1", "ListBox1", "BitBtn1", "BitBtn2", "BitBtn4", "Edit2",
        "Edit3", "Edit4", "Edit5", "Edit1", // "Lisää" is never reached; the hidden fields are
        "ListBox1", "BitBtn1", "BitBtn4", // "Kopioi" disabled: skipped
        "BitBtn1" };
    EXPECT_EQ(walk, expected);
}

TEST(MainWindow, KeysOnItsButtons)
{
    // clang-format off
    const struct { const char* what; const char* focus; KeyEvent key; bool ends; bool opens_settings; const char* focus_after; } cases[] = {
        { "S on Kopioi presses Sulje",      "BitBtn2", KeyEvent::character("S"),       true,  false, "" },
        { "s on Asetukset presses Sulje",   "BitBtn4", KeyEvent::character("s"),       true,  false, "" },
        { "Alt+S in the clock field",       "Edit1",   KeyEvent::character("s", true), true,  false, "" },
        { "S in the clock field is text",   "Edit1",   KeyEvent::character("S"),       false, false, "Edit1" },
        { "Enter on Asetukset opens it",    "BitBtn4", { Key::Enter, "", false, false, false }, false, true, "BitBtn4" },
        { "Space on Sulje",                 "BitBtn1", { Key::Space, "", false, false, false }, true, false, "" },
        { "Right on Sulje moves on",        "BitBtn1", { Key::Right, "", false, false, false }, false, false, "BitBtn2" },
        { "Up on Kopioi moves back",        "BitBtn2", { Key::Up, "", false, false, false },    false, false, "BitBtn1" },
        { "Escape does nothing",            "BitBtn2", { Key::Escape, "", false, false, false }, false, false, "BitBtn2" },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessBackend backend;
        bool ended = true;
        bool opened = false;
        std::string focus_after;
        backend.script()
            .call([&] { ui::Form1->find_control(c.focus)->SetFocus(); })
            .key(c.key)
            .call([&] {
                opened = ui::AsetuksetLomake->Visible();
                if (opened)
                    ui::AsetuksetLomake->Close();
            })
            .call([&] {
                ended = false;
                focus_after = focused_name();
            });
        EXPECT_EQ(app::run(backend), 0);
        EXPECT_EQ(ended, c.ends);
        EXPECT_EQ(opened, c.opens_settings);
        if (!c.ends) {
            EXPECT_EQ(focus_after, c.focus_after);
        }
    }
}

TEST(MainWindow, GeometryScalesWithTheTextHeight)
{
    HeadlessBackend backend;
    backend.set_text_height(20);
    backend.script().call([] {
        EXPECT_EQ(ui::Form1->ScaledClientWidth(), 628); // 408 * 20 / 13 = 627.7
        EXPECT_EQ(ui::Form1->ScaledClientHeight(), 335); // 218 * 20 / 13 = 335.4
        EXPECT_EQ(ui::Form1->BitBtn2->ScaledBounds(), (Rect { 480, 111, 137, 38 }));
        EXPECT_EQ(ui::Form1->Edit4->ScaledBounds(), (Rect { 25, 400, 223, 32 }));
    });
    EXPECT_EQ(app::run(backend), 0);
}
