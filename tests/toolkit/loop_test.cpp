#include "test_form.h"

#include "platform/toolkit/errors.h"
#include "platform/toolkit/settings_watch.h"

#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdexcept>
#include <thread>

using namespace toolkit;
using testing_forms::App;

TEST(Loop, TwoEndRequestsInOneHandlerRunEveryStepAndEndOnce)
{
    App a;
    int steps = 0;
    bool later_step_ran = false;
    a.main->on_click1 = [&] {
        a.app->Terminate();
        ++steps;
        a.app->Terminate();
        ++steps;
        EXPECT_FALSE(a.app->Terminated()); // nothing ends while the handler runs
    };
    a.script().click("Main", "Button1").call([&] { later_step_ran = true; });
    a.run();
    EXPECT_EQ(steps, 2);
    EXPECT_TRUE(a.app->Terminated());
    EXPECT_FALSE(later_step_ran);
    EXPECT_TRUE(a.app->queue().empty()); // one quit message, not two
}

TEST(Loop, EndRequestInsideModalCancelsItAndStopsTheMainLoop)
{
    App a;
    int result = -1;
    bool opener_returned = false;
    bool queued_work_ran = false;
    a.main->on_click1 = [&] {
        result = a.dialog->ShowModal();
        opener_returned = true;
    };
    a.dialog->on_click1 = [&] {
        a.app->Terminate();
        Message work;
        work.work = [&] { queued_work_ran = true; };
        a.app->queue().post(std::move(work)); // behind the quit message
    };
    a.script().click("Main", "Button1").click("Dialog", "Button1");
    a.run();
    EXPECT_EQ(result, mrCancel);
    EXPECT_TRUE(opener_returned);
    EXPECT_FALSE(a.dialog->Visible());
    EXPECT_TRUE(a.main->Enabled());
    EXPECT_FALSE(queued_work_ran); // the main loop took no further message
}

TEST(Loop, TimersTickInsideAModalLoop)
{
    App a;
    int ticks = 0;
    int ticks_while_open = -1;
    a.main->on_tick = [&] { ++ticks; };
    a.main->on_click1 = [&] { a.dialog->ShowModal(); };
    a.script()
        .click("Main", "Button1")
        .call([&] { ticks = 0; })
        .pass(2000)
        .call([&] { ticks_while_open = ticks; })
        .close("Dialog");
    a.run();
    EXPECT_EQ(ticks_while_open, 4);
}

TEST(Loop, SigtermEndsTheProgramAlsoFromAModalWindow)
{
    for (const bool inside_modal : { false, true }) {
        SCOPED_TRACE(inside_modal ? "inside the settings-like dialog" : "in the main loop");
        App a;
        int result = -1;
        bool later_step_ran = false;
        a.main->on_click1 = [&] { result = a.dialog->ShowModal(); };
        if (inside_modal)
            a.script().click("Main", "Button1");
        a.script().call([] { std::raise(SIGTERM); }).call([&] { later_step_ran = true; });
        a.run();
        EXPECT_TRUE(a.app->Terminated());
        EXPECT_FALSE(later_step_ran);
        EXPECT_EQ(result, inside_modal ? mrCancel : -1);
    }
}

TEST(Loop, PostFromAnotherThreadWakesTheIdleLoop)
{
    App a;
    std::thread worker;
    std::optional<TApplication::BackgroundWork> busy;
    bool delivered_on_ui_thread = false;
    const auto ui_thread = std::this_thread::get_id();
    a.script().call([&] {
        // While work is outstanding the headless loop blocks on the queue with no time-out, so
        // only the post itself can wake it.
        busy.emplace(*a.app);
        worker = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            Message m;
            m.work = [&] {
                delivered_on_ui_thread = std::this_thread::get_id() == ui_thread;
                busy.reset();
            };
            a.app->queue().post(std::move(m));
        });
    });
    a.run();
    worker.join();
    EXPECT_TRUE(delivered_on_ui_thread);
}

TEST(Queue, PostMakesTheWakeDescriptorReadable)
{
    MessageQueue q;
    pollfd p { q.wake_fd(), POLLIN, 0 };
    EXPECT_EQ(poll(&p, 1, 0), 0);
    std::thread t([&] { q.post(Message {}); });
    EXPECT_EQ(poll(&p, 1, 5000), 1);
    t.join();
    q.clear_wake();
    EXPECT_EQ(poll(&p, 1, 0), 0);
    EXPECT_TRUE(q.take().has_value());
    EXPECT_FALSE(q.take().has_value());
}

TEST(Timers, EnablingARunningTimerDoesNotRestartIt)
{
    App a;
    std::vector<std::int64_t> ticks;
    TTimer* timer = dynamic_cast<TTimer*>(a.main->find_component("Timer1"));
    ASSERT_NE(timer, nullptr);
    a.main->on_tick = [&] { ticks.push_back(a.backend.now()); };
    const std::int64_t start = a.backend.now();
    a.script()
        .pass(300)
        .call([&] { timer->SetEnabled(true); }) // already on: the rhythm stays
        .pass(700)
        .call([&] {
            timer->SetEnabled(false);
            timer->SetEnabled(true); // off and on again: starts anew
        })
        .pass(600);
    a.run();
    EXPECT_EQ(ticks, (std::vector<std::int64_t> { start + 500, start + 1000, start + 1500 }));
}

TEST(Timers, ArmingFailsWhenNoTimerIsLeftAndTheTimerStaysOff)
{
    App a;
    a.backend.set_timer_limit(1); // Timer1 of the main window holds the only one
    TTimer extra;
    extra.SetEnabled(false);
    extra.SetInterval(100);
    extra.SetOnTimer([](TObject*) { });
    try {
        extra.SetEnabled(true);
        FAIL() << "no error";
    } catch (const ResourceError& e) {
        EXPECT_STREQ(e.what(), "Not enough timers available");
    }
    EXPECT_FALSE(extra.Enabled());
    EXPECT_FALSE(extra.is_running());
}

TEST(SettingsWatch, WritingTheWatchedFileAnnouncesAChange)
{
    char folder[] = "/tmp/siirtolux-watch-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string file = std::string(folder) + "/locale.conf";
    MessageQueue queue;
    {
        SettingsFileWatch watch(queue, file);
        ASSERT_TRUE(watch.is_watching());
        // Another file in the same folder is no announcement.
        FILE* other = fopen((std::string(folder) + "/other").c_str(), "w");
        fclose(other);
        FILE* f = fopen(file.c_str(), "w");
        fputs("LC_TIME=fi_FI.UTF-8\n", f);
        fclose(f);
        pollfd p { queue.wake_fd(), POLLIN, 0 };
        ASSERT_EQ(poll(&p, 1, 5000), 1);
        const auto m = queue.take();
        ASSERT_TRUE(m.has_value());
        EXPECT_EQ(m->kind, Message::Kind::SettingsChange);
    }
    std::remove(file.c_str());
    std::remove((std::string(folder) + "/other").c_str());
    rmdir(folder);
}
