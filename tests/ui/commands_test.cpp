#include "app/startup.h"
#include "platform/fileops/copy_workers.h"
#include "platform/fileops/shell_api.h"
#include "platform/files/executable.h"
#include "platform/toolkit/application.h"
#include "platform/toolkit/headless/headless_backend.h"
#include "tests/files/temporary_folder.h"
#include "ui/unit1.h"
#include "ui/unit2.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace toolkit;
using toolkit::headless::HeadlessBackend;

namespace {

// A headless run of the program with the file-operation service replaced by a double, its
// folder (and so its loki.txt) in a temporary folder, the C locale and a fixed virtual time.
struct Program {
    TemporaryFolder folder;
    HeadlessBackend backend;
    int copies = 0;
    int deletes = 0;
    std::string last_from;
    int result = 0;
    bool aborted = false;
    std::function<void()> during_copy;

    Program()
    {
        setenv("LC_ALL", "C", 1);
        files::set_executable_folder_for_tests(folder.path() + "/");
        backend.set_local_time({ 2024, 12, 9, 13, 5, 7, 0 });
        fileops::set_service_for_tests([this](fileops::SHFILEOPSTRUCTA& record, const fileops::RequestLists& lists) {
            const auto func = fileops::get_field<std::uint32_t>(record, offsetof(fileops::SHFILEOPSTRUCTA, wFunc));
            last_from = lists.from.substr(0, lists.from.size() - 2);
            if (func == fileops::FO_COPY) {
                ++copies;
                if (during_copy)
                    during_copy();
                if (aborted)
                    fileops::set_field<std::int32_t>(record, offsetof(fileops::SHFILEOPSTRUCTA, fAnyOperationsAborted), 1);
                return result;
            }
            ++deletes;
            return 0;
        });
    }
    ~Program()
    {
        fileops::set_service_for_tests(nullptr);
        files::set_executable_folder_for_tests(std::nullopt);
        unsetenv("LC_ALL");
    }
    headless::Script& script() { return backend.script(); }
    std::string log_file() const { return read_bytes(folder / "loki.txt"); }
};

const std::string initial = "Odotan kopiointi käskyä...\r\n";

} // namespace

TEST(CopyCommand, EndLineTellsWhatTheCopyCameTo)
{
    // clang-format off
    const struct { const char* what; int result; bool aborted; const char* end; } cases[] = {
        { "finished",          0, false, "Kopiointi valmis!   12/09/24 13:05:07" },
        { "an item failed",    2, false, "Kopiointi epäonnistui!   12/09/24 13:05:07" },
        { "broken off",        0, true,  "Kopiointi keskeytetty!   12/09/24 13:05:07" },
        { "failed, then off",  2, true,  "Kopiointi keskeytetty!   12/09/24 13:05:07" },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Program p;
        p.result = c.result;
        p.aborted = c.aborted;
        bool kopioi_enabled = true;
        p.script().pass(600).click("Form1", "BitBtn2").call([&] { kopioi_enabled = ui::Form1->BitBtn2->Enabled(); });
        EXPECT_EQ(app::run(p.backend), 0);
        EXPECT_EQ(p.copies, 1);
        EXPECT_EQ(p.log_file(),
            initial + "Kopiointi aloitettu  12/09/24 13:05:07\r\n" + "Kopioidaan  C:\\Omat tiedostot C:\\Varakopiot\r\n"
                + c.end + "\r\n");
        EXPECT_FALSE(kopioi_enabled);
    }
}

TEST(CopyCommand, FailedSaveKeepsTheLinesAndKopioiAndDoesNotEnd)
{
    Program p;
    make_folder(p.folder / "loki.txt"); // a folder in the way of the log file
    bool still_running = false;
    std::size_t lines = 0;
    bool kopioi_enabled = false;
    p.script()
        .click("Form1", "BitBtn4")
        .click("AsetuksetLomake", "CheckBox2") // close option ticked
        .close("AsetuksetLomake")
        .click("Form1", "BitBtn2")
        .dismiss()
        .call([&] {
            still_running = !Application->Terminated();
            lines = ui::Form1->ListBox1->Items().size();
            kopioi_enabled = ui::Form1->BitBtn2->Enabled();
        });
    EXPECT_EQ(app::run(p.backend), 0);
    EXPECT_TRUE(still_running);
    EXPECT_EQ(lines, 4u);
    EXPECT_TRUE(kopioi_enabled);
    ASSERT_EQ(p.backend.boxes().size(), 1u);
    EXPECT_EQ(p.backend.boxes()[0].text.rfind("Cannot create file \"" + p.folder.path() + "/loki.txt\". ", 0), 0u)
        << p.backend.boxes()[0].text;
}

TEST(CopyCommand, CloseOptionEndsTheProgramAfterTheSave)
{
    Program p;
    bool went_on = false;
    p.script()
        .click("Form1", "BitBtn4")
        .click("AsetuksetLomake", "CheckBox2")
        .close("AsetuksetLomake")
        .click("Form1", "BitBtn2")
        .call([&] { went_on = true; });
    EXPECT_EQ(app::run(p.backend), 0);
    EXPECT_FALSE(went_on);
    EXPECT_EQ(p.copies, 1);
    EXPECT_NE(p.log_file().find("Kopiointi valmis!"), std::string::npos);
}

TEST(CopyCommand, ARunAskedForDuringACopyDoesNothing)
{
    Program p;
    p.during_copy = [] { ui::Form1->BitBtn2->Click(); };
    p.script().click("Form1", "BitBtn2");
    EXPECT_EQ(app::run(p.backend), 0);
    EXPECT_EQ(p.copies, 1);
    const std::string log = p.log_file();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4);
}

TEST(ScheduledStart, OneStartTimeRunsOneCopyAlsoWithTheSettingsWindowOpen)
{
    Program p;
    bool settings_open_after = false;
    p.script()
        .pass(100)
        .click("Form1", "BitBtn4") // the start time field gets "12/09/24 13:05:07"
        .call([] { ui::AsetuksetLomake->Edit1->SetText("12/09/24 13:05:09"); })
        .click("AsetuksetLomake", "Button1")
        .pass(4000)
        .call([&] { settings_open_after = ui::AsetuksetLomake->Visible(); })
        .click("AsetuksetLomake", "Button1") // armed again: one more line, the poll as it was
        .close("AsetuksetLomake");
    EXPECT_EQ(app::run(p.backend), 0);
    EXPECT_EQ(p.copies, 1); // the clock shows 13:05:09 at two polls; only the first fires
    EXPECT_TRUE(settings_open_after);
    EXPECT_EQ(p.log_file(),
        initial + "Kopiointi alkaa:   12/09/24 13:05:09\r\n" + "Kopiointi aloitettu  12/09/24 13:05:09\r\n"
            + "Kopioidaan  C:\\Omat tiedostot C:\\Varakopiot\r\n" + "Kopiointi valmis!   12/09/24 13:05:09\r\n");
}

TEST(ScheduledStart, MemoryOfTheLastFiringIsForgottenOnAnotherClockText)
{
    backup::ScheduledStart s;
    EXPECT_TRUE(s.is_due("a", "a"));
    EXPECT_FALSE(s.is_due("a", "a")); // the same second again
    EXPECT_FALSE(s.is_due("a", "b"));
    EXPECT_TRUE(s.is_due("a", "a")); // the text shows again later (summer time ends)
    EXPECT_TRUE(s.is_due("", "")); // an empty start time matches an emptied clock field
}

TEST(DeleteCommand, HandsTheTypedPathOverAndTouchesNothingElse)
{
    Program p;
    bool timer2 = true;
    bool kopioi = false;
    std::size_t lines = 0;
    p.script()
        .click("Form1", "BitBtn4")
        .call([] { ui::AsetuksetLomake->Edit3->SetText(" C:\\vanha kansio "); })
        .click("AsetuksetLomake", "Button3")
        .call([&] {
            timer2 = ui::Form1->Timer2->Enabled();
            kopioi = ui::Form1->BitBtn2->Enabled();
            lines = ui::Form1->ListBox1->Items().size();
            EXPECT_TRUE(ui::AsetuksetLomake->Visible());
        })
        .close("AsetuksetLomake");
    EXPECT_EQ(app::run(p.backend), 0);
    EXPECT_EQ(p.deletes, 1);
    EXPECT_EQ(p.last_from, " C:\\vanha kansio ");
    EXPECT_FALSE(timer2);
    EXPECT_TRUE(kopioi);
    EXPECT_EQ(lines, 1u);
    EXPECT_TRUE(p.backend.boxes().empty());
    EXPECT_EQ(p.log_file(), ""); // no save
}

// The command with the real file-operation service, drive C: in the test's folder.
struct RealService {
    explicit RealService(Program& p)
    {
        fileops::set_service_for_tests(nullptr);
        ::setenv("SIIRTOLUX_DRIVE_C", p.folder.path().c_str(), 1);
        make_folder(p.folder / "Omat tiedostot");
        make_folder(p.folder / "Varakopiot");
    }
    ~RealService()
    {
        ::unsetenv("SIIRTOLUX_DRIVE_C");
        fileops::hold_copies_for_tests(false);
    }
};

TEST(CopyCommand, RealCopyArrivesAndIsLogged)
{
    Program p;
    RealService real(p);
    write_bytes(p.folder / "Omat tiedostot/päivä.txt", "data");
    p.script().pass(600).click("Form1", "BitBtn2");
    EXPECT_EQ(app::run(p.backend), 0);
    EXPECT_EQ(read_bytes(p.folder / "Varakopiot/Omat tiedostot/päivä.txt"), "data");
    const std::string log = p.log_file();
    EXPECT_EQ(log.rfind(initial + "Kopiointi aloitettu  12/09/24 13:05:07\r\nKopioidaan  C:\\Omat tiedostot C:\\Varakopiot\r\n"
                  "Kopiointi valmis!   12/09/24 13:05:",
                  0),
        0u)
        << log;
}

// SIGTERM in the middle of a file: the copy is broken off, the command writes its line and saves,
// and the program ends once it is back in its loop.
TEST(CopyCommand, SigtermDuringARealCopyBreaksItOffAndTheCommandFinishes)
{
    Program p;
    RealService real(p);
    write_bytes(p.folder / "Omat tiedostot/iso.bin", std::string(70u << 20, 'x'));
    fileops::hold_copies_for_tests(true);
    bool went_on = false;
    // The sigterm is taken once the progress window is up.
    p.script().pass(600).click("Form1", "BitBtn2").sigterm().call([&] { went_on = true; });
    EXPECT_EQ(app::run(p.backend), 0);
    EXPECT_FALSE(went_on);
    EXPECT_NE(p.log_file().find("\r\nKopiointi keskeytetty!   12/09/24 13:05:"), std::string::npos) << p.log_file();
    EXPECT_FALSE(std::ifstream(p.folder / "Varakopiot/Omat tiedostot/iso.bin").good());
}
