#include "app/startup.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/headless/headless_backend.h"
#include "ui/unit1.h"
#include "ui/unit2.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace toolkit;
using toolkit::headless::HeadlessBackend;

TEST(SettingsWindow, ControlsAsDeclared)
{
    // clang-format off
    const struct { const char* name; const char* kind; Rect bounds; const char* text; int tab; } rows[] = {
        { "Edit1",     "TEdit",     { 8, 64, 129, 21 },  "",                 0 },
        { "Label1",    "TLabel",    { 8, 48, 75, 13 },   "Kopiointi  alkaa:", -1 },
        { "Edit2",     "TEdit",     { 8, 24, 129, 21 },  "",                 1 },
        { "Label2",    "TLabel",    { 8, 8, 41, 13 },    "Aika nyt:",        -1 },
        { "Button1",   "TButton",   { 144, 63, 97, 25 }, "Aseta aloitus",    2 },
        { "Button2",   "TButton",   { 144, 23, 97, 25 }, "Poistu",           3 },
        { "CheckBox2", "TCheckBox", { 8, 144, 233, 17 }, "Suljetaan sovellus, kun kopiointi valmis", 4 },
        { "Edit3",     "TEdit",     { 8, 104, 129, 21 }, "C:\\oma tiedosto", 5 },
        { "Button3",   "TButton",   { 144, 103, 97, 25 }, "Poista",          6 },
        { "Label3",    "TLabel",    { 8, 88, 53, 13 },   "Poistetaan:",      -1 },
    };
    // clang-format on
    HeadlessBackend backend;
    backend.script().call([&] {
        ui::TAsetuksetLomake& f = *ui::AsetuksetLomake;
        EXPECT_EQ(f.Caption(), "Kopiointi asetukset");
        EXPECT_EQ(f.ClientWidth(), 247);
        EXPECT_EQ(f.ClientHeight(), 174);
        const auto controls = f.controls();
        ASSERT_EQ(controls.size(), std::size(rows));
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const auto& r = rows[i];
            SCOPED_TRACE(r.name);
            EXPECT_EQ(controls[i]->Name, r.name); // in the declared order
            EXPECT_STREQ(controls[i]->ClassName(), r.kind);
            EXPECT_EQ(controls[i]->Bounds(), r.bounds);
            EXPECT_EQ(controls[i]->Text(), r.text);
            EXPECT_EQ(controls[i]->TabOrder(), r.tab);
        }
        EXPECT_FALSE(f.CheckBox2->Checked());
    });
    EXPECT_EQ(app::run(backend), 0);
}

TEST(SettingsWindow, KeepsItsContentsPlaceAndFocusBetweenOpenings)
{
    setenv("LC_ALL", "C", 1);
    HeadlessBackend backend;
    backend.set_screen(1000, 800);
    backend.set_local_time({ 2024, 12, 9, 13, 5, 7, 0 });
    int ticks_while_open = 0;
    std::string clock_before;
    auto& s = backend.script();
    s.click("Form1", "BitBtn4")
        .call([&] {
            auto& f = *ui::AsetuksetLomake;
            EXPECT_EQ(f.Left(), (1000 - 247) / 2);
            EXPECT_EQ(f.Top(), (800 - 174) / 2);
            EXPECT_EQ(f.ActiveControl(), f.Edit1);
            EXPECT_FALSE(ui::Form1->Enabled());
            clock_before = ui::Form1->Edit1->Text();
        })
        .click("Form1", "BitBtn1") // the main window takes no input while it is open
        .key(Key::Escape) // does nothing
        .key(Key::Enter) // in an edit field: nothing
        .click("AsetuksetLomake", "CheckBox2")
        .key(Key::Enter) // on the check box: nothing
        .click("AsetuksetLomake", "Edit3")
        .call([] { ui::AsetuksetLomake->Edit3->SetText("C:\\poistettava"); })
        .move("AsetuksetLomake", 10, 20)
        .pass(1000)
        .call([&] { ticks_while_open = ui::Form1->Edit1->Text() != clock_before; })
        .close("AsetuksetLomake") // the close box: like "Poistu"
        .call([] {
            EXPECT_TRUE(ui::Form1->Enabled());
            EXPECT_FALSE(Application->Terminated());
        })
        .click("Form1", "BitBtn4")
        .call([] {
            auto& f = *ui::AsetuksetLomake;
            EXPECT_TRUE(f.Visible());
            EXPECT_EQ(f.Left(), 10);
            EXPECT_EQ(f.Top(), 20);
            EXPECT_EQ(f.ActiveControl(), f.Edit3);
            EXPECT_TRUE(f.CheckBox2->Checked());
            EXPECT_EQ(f.Edit3->Text(), "C:\\poistettava");
        })
        .click("AsetuksetLomake", "Button2")
        .call([] { EXPECT_FALSE(ui::AsetuksetLomake->Visible()); });
    EXPECT_EQ(app::run(backend), 0);
    unsetenv("LC_ALL");
    EXPECT_TRUE(ticks_while_open);
}
