#include "platform/toolkit/form.h"

#include "platform/toolkit/application.h"
#include "platform/toolkit/errors.h"

#include <algorithm>

namespace toolkit {

TForm::TForm() = default;

TForm::~TForm()
{
    // Timers owned by the window stop before anything else of it goes away.
    for (auto& c : m_components)
        if (auto* t = dynamic_cast<TTimer*>(c.get()); t && t->is_running() && Application)
            Application->disarm_timer(*t);
}

void TForm::SetCaption(std::string caption)
{
    m_caption = std::move(caption);
    changed();
}

void TForm::SetClientSize(int width, int height)
{
    m_client_width = width;
    m_client_height = height;
    changed();
}

int TForm::ScaledClientWidth() const
{
    return scale(m_client_width, Application ? Application->screen().text_height : design_text_height);
}

int TForm::ScaledClientHeight() const
{
    return scale(m_client_height, Application ? Application->screen().text_height : design_text_height);
}

void TForm::SetPosition(int left, int top)
{
    m_left = left;
    m_top = top;
    changed();
}

void TForm::SetEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    changed();
}

void TForm::SetActiveControl(TControl* control)
{
    if (control && control->Parent() != this)
        return;
    m_active_control = control;
    if (Application && Application->active_window() == this && m_visible)
        Application->backend().activate(*this);
}

std::vector<TControl*> TForm::controls() const
{
    std::vector<TControl*> result;
    for (const auto& c : m_components)
        if (auto* control = dynamic_cast<TControl*>(c.get()))
            result.push_back(control);
    return result;
}

namespace {
    std::vector<TControl*> tab_order_of(const TForm& form)
    {
        std::vector<TControl*> list;
        for (TControl* c : form.controls())
            if (c->takes_focus())
                list.push_back(c);
        std::stable_sort(list.begin(), list.end(),
            [](const TControl* a, const TControl* b) { return a->TabOrder() < b->TabOrder(); });
        return list;
    }
} // namespace

TControl* TForm::first_in_tab_order() const
{
    for (TControl* c : tab_order_of(*this))
        if (c->CanFocus())
            return c;
    return nullptr;
}

TControl* TForm::next_in_tab_order(TControl* from, bool forward) const
{
    const auto list = tab_order_of(*this);
    if (list.empty())
        return nullptr;
    const auto it = std::find(list.begin(), list.end(), from);
    const int n = static_cast<int>(list.size());
    int index = it == list.end() ? (forward ? -1 : n) : static_cast<int>(it - list.begin());
    for (int step = 0; step < n; ++step) {
        index = (index + (forward ? 1 : -1) + n) % n;
        if (list[index]->CanFocus())
            return list[index];
    }
    return nullptr;
}

int TForm::ShowModal() { return Application->run_modal(*this, true); }

void TForm::Show() { Application->show_form(*this, false); }

void TForm::Hide()
{
    if (!m_visible)
        return;
    m_visible = false;
    if (Application)
        Application->backend().hide(*this);
}

void TForm::Close()
{
    if (m_modal_depth > 0) {
        ModalResult = mrCancel;
        return;
    }
    // Closing the main window ends the program instead of hiding it.
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    Hide();
}

TComponent* TForm::find_component(std::string_view name) const
{
    for (const auto& c : m_components)
        if (c->Name == name)
            return c.get();
    return nullptr;
}

TControl* TForm::find_control(std::string_view name) const
{
    return dynamic_cast<TControl*>(find_component(name));
}

void TForm::adopt(std::unique_ptr<TComponent> component)
{
    if (auto* control = dynamic_cast<TControl*>(component.get()))
        control->m_parent = this;
    m_components.push_back(std::move(component));
}

void TForm::set_property(const PropertySetter& p)
{
    const std::string& n = p.name();
    if (n == "Caption") {
        SetCaption(p.string());
    } else if (n == "ClientSize") {
        const auto v = p.numbers(2);
        SetClientSize(v[0], v[1]);
    } else if (n == "Font") {
        const auto v = p.numbers(1);
        m_font.height = v[0];
    } else if (n == "OnActivate") {
        OnActivate = p.handler();
    } else {
        p.unknown();
    }
}

TNotifyEvent TForm::handler_named(const std::string& name) const
{
    const auto it = m_handlers.find(name);
    if (it == m_handlers.end())
        throw DescriptionError("unknown handler " + name + " of " + ClassName());
    return it->second;
}

void TForm::changed()
{
    if (m_view)
        m_view->update();
}

} // namespace toolkit
