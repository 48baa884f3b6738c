#pragma once

#include "platform/toolkit/form.h"

namespace ui {

// The settings window: shown modally from the main window, only ever shown and hidden, so its
// controls keep their contents between openings.
class TAsetuksetLomake final : public toolkit::TForm {
public:
    TAsetuksetLomake();
    const char* ClassName() const override { return "TAsetuksetLomake"; }

    toolkit::TEdit* Edit1 = nullptr;
    toolkit::TLabel* Label1 = nullptr;
    toolkit::TEdit* Edit2 = nullptr;
    toolkit::TLabel* Label2 = nullptr;
    toolkit::TButton* Button1 = nullptr;
    toolkit::TButton* Button2 = nullptr;
    toolkit::TCheckBox* CheckBox2 = nullptr;
    toolkit::TEdit* Edit3 = nullptr;
    toolkit::TButton* Button3 = nullptr;
    toolkit::TLabel* Label3 = nullptr;

    void Button1Click(toolkit::TObject* Sender);
    void FormActivate(toolkit::TObject* Sender);
    void Button2Click(toolkit::TObject* Sender);
    void Button3Click(toolkit::TObject* Sender);
};

extern TAsetuksetLomake* AsetuksetLomake;

} // namespace ui
