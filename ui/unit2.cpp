#include "ui/unit2.h"

#include "backup/clock.h"
#include "backup/copy_command.h"
#include "backup/scheduled_start.h"
#include "ui/unit1.h"

namespace ui {

TAsetuksetLomake* AsetuksetLomake = nullptr;

TAsetuksetLomake::TAsetuksetLomake()
{
    bind_field("Edit1", Edit1);
    bind_field("Label1", Label1);
    bind_field("Edit2", Edit2);
    bind_field("Label2", Label2);
    bind_field("Button1", Button1);
    bind_field("Button2", Button2);
    bind_field("CheckBox2", CheckBox2);
    bind_field("Edit3", Edit3);
    bind_field("Button3", Button3);
    bind_field("Label3", Label3);

    bind_handler("Button1Click", &TAsetuksetLomake::Button1Click);
    bind_handler("FormActivate", &TAsetuksetLomake::FormActivate);
    bind_handler("Button2Click", &TAsetuksetLomake::Button2Click);
    bind_handler("Button3Click", &TAsetuksetLomake::Button3Click);
}

void TAsetuksetLomake::Button1Click(toolkit::TObject*)
{
    backup::arm_scheduled_start(*Form1->BitBtn2, *Form1->ListBox1, *Edit1, *Form1->Timer2);
}

void TAsetuksetLomake::FormActivate(toolkit::TObject*) { Edit1->SetText(backup::current_date_time_text()); }

void TAsetuksetLomake::Button2Click(toolkit::TObject*) { Close(); }

void TAsetuksetLomake::Button3Click(toolkit::TObject*) { backup::run_delete(*Edit3); }

} // namespace ui
