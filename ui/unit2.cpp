#include "ui/unit2.h"

#include "backup/clock.h"

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

void TAsetuksetLomake::Button1Click(toolkit::TObject*) { }

void TAsetuksetLomake::FormActivate(toolkit::TObject*) { Edit1->SetText(backup::current_date_time_text()); }

void TAsetuksetLomake::Button2Click(toolkit::TObject*) { Close(); }

void TAsetuksetLomake::Button3Click(toolkit::TObject*) { }

} // namespace ui
