#include "ui/unit1.h"

#include "ui/unit2.h"

#include "backup/clock.h"
#include "backup/copy_command.h"

namespace ui {

TForm1* Form1 = nullptr;

TForm1::TForm1()
{
    bind_field("Edit1", Edit1);
    bind_field("Timer1", Timer1);
    bind_field("ListBox1", ListBox1);
    bind_field("Label1", Label1);
    bind_field("Label2", Label2);
    bind_field("Image1", Image1);
    bind_field("Label3", Label3);
    bind_field("Label4", Label4);
    bind_field("BitBtn1", BitBtn1);
    bind_field("Label5", Label5);
    bind_field("BitBtn2", BitBtn2);
    bind_field("BitBtn4", BitBtn4);
    bind_field("Timer2", Timer2);
    bind_field("BitBtn3", BitBtn3);
    bind_field("Edit2", Edit2);
    bind_field("Edit3", Edit3);
    bind_field("Label6", Label6);
    bind_field("Label7", Label7);
    bind_field("Edit4", Edit4);
    bind_field("Edit5", Edit5);

    bind_handler("Timer1Timer", &TForm1::Timer1Timer);
    bind_handler("BitBtn2Click", &TForm1::BitBtn2Click);
    bind_handler("BitBtn4Click", &TForm1::BitBtn4Click);
    bind_handler("Timer2Timer", &TForm1::Timer2Timer);
    bind_handler("BitBtn3Click", &TForm1::BitBtn3Click);
}

void TForm1::Timer1Timer(toolkit::TObject*) { backup::clock_tick(*Edit1, *AsetuksetLomake->Edit2); }

void TForm1::BitBtn2Click(toolkit::TObject*)
{
    backup::run_copy({ *Edit1, *Edit2, *Edit3, *ListBox1, *BitBtn2, *AsetuksetLomake->CheckBox2 });
}

// How the settings window was closed does not matter here.
void TForm1::BitBtn4Click(toolkit::TObject*) { AsetuksetLomake->ShowModal(); }

// A click made by the program runs the copy although "Kopioi" is disabled.
void TForm1::Timer2Timer(toolkit::TObject*)
{
    if (m_scheduled_start.is_due(AsetuksetLomake->Edit1->Text(), Edit1->Text()))
        BitBtn2->Click();
}

// "Lisää" is never visible, so nothing can click it.
void TForm1::BitBtn3Click(toolkit::TObject*) { }

} // namespace ui
