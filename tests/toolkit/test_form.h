#pragma once

#include "platform/toolkit/application.h"
#include "platform/toolkit/headless/headless_backend.h"

#include <functional>
#include <memory>

namespace testing_forms {

// A window whose handlers run whatever the test puts into them.
class TTestForm : public toolkit::TForm {
public:
    TTestForm()
    {
        bind_handler("Click1", &TTestForm::Click1);
        bind_handler("Click2", &TTestForm::Click2);
        bind_handler("Tick", &TTestForm::Tick);
        bind_handler("Activate", &TTestForm::Activate);
    }
    const char* ClassName() const override { return "TTestForm"; }

    std::function<void()> on_click1, on_click2, on_tick, on_activate;
    void Click1(toolkit::TObject*) { run(on_click1); }
    void Click2(toolkit::TObject*) { run(on_click2); }
    void Tick(toolkit::TObject*) { run(on_tick); }
    void Activate(toolkit::TObject*) { run(on_activate); }

private:
    static void run(const std::function<void()>& f)
    {
        if (f)
            f();
    }
};

// clang-format off
inline constexpr const char* main_description = R"(
window Main : TTestForm
  Caption "Main"
  ClientSize 200 100
  control Button1 : TButton
    Bounds 8 8 75 25
    Caption "&Go"
    TabOrder 0
    OnClick Click1
  end
  control Edit1 : TEdit
    Bounds 8 40 100 21
    TabOrder 1
  end
  control Button2 : TButton
    Bounds 100 8 75 25
    Caption "Other"
    TabOrder 2
    OnClick Click2
  end
  control Timer1 : TTimer
    Interval 500
    OnTimer Tick
  end
end
)";

inline constexpr const char* dialog_description = R"(
window Dialog : TTestForm
  Caption "Dialog"
  ClientSize 120 80
  OnActivate Activate
  control Edit1 : TEdit
    Bounds 8 8 100 21
    TabOrder 0
  end
  control Button1 : TButton
    Bounds 8 40 75 25
    Caption "Do"
    TabOrder 1
    OnClick Click1
  end
end
)";
// clang-format on

// A headless application with a main window and a hidden dialog.
struct App {
    toolkit::headless::HeadlessBackend backend;
    std::unique_ptr<toolkit::TApplication> app;
    TTestForm* main = nullptr;
    TTestForm* dialog = nullptr;

    App()
    {
        backend.set_screen(1000, 800);
        app = std::make_unique<toolkit::TApplication>(backend);
        app->Title = "Test 1.0";
        main = app->CreateForm<TTestForm>(main_description, "main.form");
        dialog = app->CreateForm<TTestForm>(dialog_description, "dialog.form");
    }
    toolkit::headless::Script& script() { return backend.script(); }
    void run() { app->Run(); }
};

} // namespace testing_forms
