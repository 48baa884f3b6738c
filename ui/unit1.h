#pragma once

#include "backup/scheduled_start.h"
#include "platform/toolkit/form.h"

namespace ui {

// The main window. Its controls come from unit1.form; the handlers below are bound to them by
// name when the window is created.
class TForm1 final : public toolkit::TForm {
public:
    TForm1();
    const char* ClassName() const override { return "TForm1"; }

    toolkit::TEdit* Edit1 = nullptr;
    toolkit::TTimer* Timer1 = nullptr;
    toolkit::TListBox* ListBox1 = nullptr;
    toolkit::TLabel* Label1 = nullptr;
    toolkit::TLabel* Label2 = nullptr;
    toolkit::TImage* Image1 = nullptr;
    toolkit::TLabel* Label3 = nullptr;
    toolkit::TLabel* Label4 = nullptr;
    toolkit::TBitBtn* BitBtn1 = nullptr;
    toolkit::TLabel* Label5 = nullptr;
    toolkit::TBitBtn* BitBtn2 = nullptr;
    toolkit::TBitBtn* BitBtn4 = nullptr;
    toolkit::TTimer* Timer2 = nullptr;
    toolkit::TBitBtn* BitBtn3 = nullptr;
    toolkit::TEdit* Edit2 = nullptr;
    toolkit::TEdit* Edit3 = nullptr;
    toolkit::TLabel* Label6 = nullptr;
    toolkit::TLabel* Label7 = nullptr;
    toolkit::TEdit* Edit4 = nullptr;
    toolkit::TEdit* Edit5 = nullptr;

    void Timer1Timer(toolkit::TObject* Sender);
    void BitBtn2Click(toolkit::TObject* Sender);
    void BitBtn4Click(toolkit::TObject* Sender);
    void Timer2Timer(toolkit::TObject* Sender);
    void BitBtn3Click(toolkit::TObject* Sender);

private:
    // What the poll remembers so that one start time runs one copy.
    backup::ScheduledStart m_scheduled_start;
};

extern TForm1* Form1;

} // namespace ui
