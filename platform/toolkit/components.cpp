#include "platform/toolkit/components.h"

#include "platform/toolkit/application.h"
#include "platform/toolkit/errors.h"
#include "platform/toolkit/form.h"

#include <algorithm>

namespace toolkit {

void TComponent::set_property(const PropertySetter& p) { p.unknown(); }

void TControl::SetBounds(Rect r)
{
    m_bounds = r;
    changed();
}

Rect TControl::ScaledBounds() const
{
    const int th = Application ? Application->screen().text_height : design_text_height;
    return { scale(m_bounds.left, th), scale(m_bounds.top, th), scale(m_bounds.width, th),
        scale(m_bounds.height, th) };
}

void TControl::SetText(std::string text)
{
    m_text = std::move(text);
    changed();
}

void TControl::SetEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    // A control that loses its ability to take the focus hands it on, as dialogs do.
    if (!enabled && m_parent && m_parent->ActiveControl() == this)
        m_parent->SetActiveControl(m_parent->next_in_tab_order(this, true));
    changed();
}

void TControl::SetVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    if (!visible && m_parent && m_parent->ActiveControl() == this)
        m_parent->SetActiveControl(m_parent->next_in_tab_order(this, true));
    changed();
}

bool TControl::Focused() const
{
    return m_parent && m_parent->ActiveControl() == this && Application
        && Application->active_window() == m_parent && Application->is_program_active();
}

void TControl::SetFocus()
{
    if (m_parent)
        m_parent->SetActiveControl(this);
}

const Font& TControl::font() const
{
    static const Font fallback;
    if (m_font)
        return *m_font;
    return m_parent ? m_parent->font() : fallback;
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::changed()
{
    if (m_view)
        m_view->update();
}

void TControl::set_property(const PropertySetter& p)
{
    const std::string& n = p.name();
    if (n == "Bounds") {
        const auto v = p.numbers(4);
        SetBounds({ v[0], v[1], v[2], v[3] });
    } else if (n == "Text" || n == "Caption") {
        SetText(p.string());
    } else if (n == "Enabled") {
        SetEnabled(p.boolean());
    } else if (n == "Visible") {
        SetVisible(p.boolean());
    } else if (n == "TabOrder") {
        if (!takes_focus())
            p.unknown();
        m_tab_order = p.number();
    } else if (n == "Font") {
        // Font <height> [bold]
        const auto& values = p.values();
        const bool bold = values.size() == 2 && values[1].type == PropertyValue::Type::Identifier
            && values[1].text == "bold";
        if (values.empty() || values.size() > 2 || values[0].type != PropertyValue::Type::Number
            || (values.size() == 2 && !bold))
            throw DescriptionError("Font takes a height and optionally bold");
        m_font = Font { static_cast<int>(values[0].number), bold };
        changed();
    } else if (n == "OnClick") {
        OnClick = p.handler();
    } else {
        p.unknown();
    }
}

// Edit field ---------------------------------------------------------------------------------

void TEdit::SetText(std::string text)
{
    m_sel_start = text.size();
    m_sel_length = 0;
    TControl::SetText(std::move(text));
}

void TEdit::type(const std::string& typed)
{
    std::string t = Text();
    t.replace(m_sel_start, m_sel_length, typed);
    const std::size_t caret = m_sel_start + typed.size();
    TControl::SetText(std::move(t));
    m_sel_start = caret;
    m_sel_length = 0;
}

void TEdit::backspace()
{
    std::string t = Text();
    std::size_t start = m_sel_start;
    std::size_t length = m_sel_length;
    if (length == 0) {
        if (start == 0)
            return;
        // One character back: skip UTF-8 continuation bytes.
        std::size_t from = start - 1;
        while (from > 0 && (static_cast<unsigned char>(t[from]) & 0xC0) == 0x80)
            --from;
        length = start - from;
        start = from;
    }
    t.erase(start, length);
    TControl::SetText(std::move(t));
    m_sel_start = start;
    m_sel_length = 0;
}

void TEdit::select_all() { SetSelection(0, Text().size()); }

void TEdit::SetSelection(std::size_t start, std::size_t length)
{
    m_sel_start = std::min(start, Text().size());
    m_sel_length = std::min(length, Text().size() - m_sel_start);
}

void TEdit::text_edited(std::string text)
{
    // Only the model changes: the view that reported the edit already shows it.
    const std::size_t size = text.size();
    TControl::SetText(std::move(text));
    m_sel_start = size;
    m_sel_length = 0;
}

// List box -----------------------------------------------------------------------------------

void TListBox::add_line(std::string line)
{
    if (m_capacity && m_items.size() >= *m_capacity)
        throw ListError("Unable to insert a line");
    m_items.push_back(std::move(line));
    changed();
}

void TListBox::SetItemIndex(int index)
{
    m_item_index = (index >= 0 && index < static_cast<int>(m_items.size())) ? index : -1;
    changed();
}

void TListBox::set_property(const PropertySetter& p)
{
    if (p.name() == "Items") {
        m_items.clear();
        for (const auto& v : p.values()) {
            if (v.type != PropertyValue::Type::String)
                throw DescriptionError("Items takes quoted lines");
            m_items.push_back(v.text);
        }
        changed();
    } else if (p.name() == "ItemHeight") {
        m_item_height = p.number();
    } else {
        TControl::set_property(p);
    }
}

// Picture ------------------------------------------------------------------------------------

void TImage::set_property(const PropertySetter& p)
{
    if (p.name() == "Picture") {
        m_picture = p.picture();
        changed();
    } else {
        TControl::set_property(p);
    }
}

// Buttons ------------------------------------------------------------------------------------

void TButton::Click()
{
    // The button's result goes to its window first, as a dialog's buttons do.
    if (ModalResult != mrNone && Parent())
        Parent()->ModalResult = ModalResult;
    TControl::Click();
}

void TButton::set_property(const PropertySetter& p)
{
    if (p.name() == "ModalResult") {
        static const struct {
            const char* name;
            int value;
        } results[] = { { "mrNone", mrNone }, { "mrOk", mrOk }, { "mrCancel", mrCancel },
            { "mrYes", mrYes }, { "mrNo", mrNo }, { "mrYesToAll", mrYesToAll } };
        const std::string id = p.identifier();
        for (const auto& r : results)
            if (id == r.name) {
                ModalResult = r.value;
                return;
            }
        throw DescriptionError("unknown modal result " + id);
    }
    TControl::set_property(p);
}

void TBitBtn::Click()
{
    TButton::Click();
    // A close-kind button closes the window it stands on, and has nothing else to do.
    if (m_kind == Kind::Close && Parent())
        Parent()->Close();
}

void TBitBtn::SetGlyph(Picture glyph, int cells)
{
    m_glyph = std::move(glyph);
    m_num_glyphs = cells;
    changed();
}

void TBitBtn::set_property(const PropertySetter& p)
{
    const std::string& n = p.name();
    if (n == "Kind") {
        const std::string id = p.identifier();
        if (id == "bkCustom")
            m_kind = Kind::Custom;
        else if (id == "bkClose")
            m_kind = Kind::Close;
        else
            throw DescriptionError("unknown button kind " + id);
    } else if (n == "Glyph") {
        m_glyph = p.bitmap();
        changed();
    } else if (n == "NumGlyphs") {
        m_num_glyphs = p.number();
        if (m_num_glyphs < 1 || m_num_glyphs > 4)
            throw DescriptionError("NumGlyphs must be 1 to 4");
    } else if (n == "Spacing") {
        m_spacing = p.number();
    } else {
        TButton::set_property(p);
    }
}

void TCheckBox::SetChecked(bool checked)
{
    if (m_checked == checked)
        return;
    m_checked = checked;
    changed();
}

void TCheckBox::Click()
{
    SetChecked(!m_checked);
    TControl::Click();
}

void TCheckBox::set_property(const PropertySetter& p)
{
    if (p.name() == "Checked")
        SetChecked(p.boolean());
    else
        TControl::set_property(p);
}

void TProgressBar::SetRange(int max)
{
    m_max = std::max(1, max);
    m_position = std::min(m_position, m_max);
    changed();
}

void TProgressBar::SetPosition(int position)
{
    position = std::clamp(position, 0, m_max);
    if (position == m_position)
        return;
    m_position = position;
    changed();
}

// Timer --------------------------------------------------------------------------------------

TTimer::TTimer() = default;

TTimer::~TTimer()
{
    if (m_running && Application)
        Application->disarm_timer(*this);
}

void TTimer::SetEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    try {
        update();
    } catch (...) {
        m_enabled = false;
        throw;
    }
}

void TTimer::SetInterval(int ms)
{
    if (ms == m_interval)
        return;
    m_interval = ms;
    // A new interval restarts a running timer.
    if (m_running && Application)
        Application->disarm_timer(*this);
    update();
}

void TTimer::SetOnTimer(TNotifyEvent handler)
{
    m_on_timer = std::move(handler);
    update();
}

void TTimer::update()
{
    // A timer runs only while it is enabled, has an interval and has a handler to call.
    const bool should_run = m_enabled && m_interval > 0 && m_on_timer;
    if (!Application)
        return;
    if (should_run && !m_running)
        Application->arm_timer(*this);
    else if (!should_run && m_running)
        Application->disarm_timer(*this);
}

void TTimer::set_property(const PropertySetter& p)
{
    const std::string& n = p.name();
    if (n == "Interval")
        SetInterval(p.number());
    else if (n == "Enabled")
        SetEnabled(p.boolean());
    else if (n == "OnTimer")
        SetOnTimer(p.handler());
    else
        p.unknown();
}

} // namespace toolkit
