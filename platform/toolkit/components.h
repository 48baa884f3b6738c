#pragma once

#include "platform/toolkit/geometry.h"
#include "platform/toolkit/picture.h"
#include "platform/toolkit/property.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace toolkit {

class TForm;

class TObject {
public:
    virtual ~TObject() = default;
};

// What a back-end attaches to a control or window it shows; told about every change of state.
class View {
public:
    virtual ~View() = default;
    virtual void update() = 0;
};

class TComponent : public TObject {
public:
    std::string Name;
    virtual const char* ClassName() const = 0;
    virtual void set_property(const PropertySetter& p);
};

// Results a button can give its window when clicked, and that a modal window returns.
enum ModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7, mrYesToAll = 10 };

struct Font {
    int height = 11; // pixels at 96 dpi
    bool bold = false;
    bool operator==(const Font&) const = default;
};

// A control on a window. It holds its own state; a back-end's view only shows it.
class TControl : public TComponent {
public:
    TForm* Parent() const { return m_parent; }

    // Layout values: pixels for a text height of 13 (see geometry.h).
    Rect Bounds() const { return m_bounds; }
    void SetBounds(Rect r);
    // The bounds in pixels for the window's actual text height.
    Rect ScaledBounds() const;

    const std::string& Text() const { return m_text; }
    virtual void SetText(std::string text);

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);

    int TabOrder() const { return m_tab_order; }
    void set_tab_order(int order) { m_tab_order = order; }
    // Kinds that take the keyboard focus: edit fields, lists, buttons, check boxes.
    virtual bool takes_focus() const { return false; }
    bool CanFocus() const { return takes_focus() && m_visible && m_enabled; }
    bool Focused() const;
    // Moves the focus to this control within its window.
    void SetFocus();

    const Font& font() const;
    bool has_own_font() const { return m_font.has_value(); }

    // A click made by the program: runs whatever a click does, whether or not the control is
    // enabled. A user's click goes through TApplication, which looks at the state first.
    virtual void Click();
    TNotifyEvent OnClick;

    void set_property(const PropertySetter& p) override;

    View* view() const { return m_view.get(); }
    void set_view(std::unique_ptr<View> v) { m_view = std::move(v); }

protected:
    void changed();

private:
    friend class TForm;
    TForm* m_parent = nullptr;
    Rect m_bounds;
    std::string m_text;
    bool m_enabled = true;
    bool m_visible = true;
    int m_tab_order = -1;
    std::optional<Font> m_font;
    std::unique_ptr<View> m_view;
};

// A single-line edit field. The selection stands for what a typed character replaces.
class TEdit : public TControl {
public:
    const char* ClassName() const override { return "TEdit"; }
    bool takes_focus() const override { return true; }
    void SetText(std::string text) override;
    // Text typed at the caret, replacing the selection.
    void type(const std::string& text);
    void backspace();
    void select_all();
    std::size_t SelStart() const { return m_sel_start; }
    std::size_t SelLength() const { return m_sel_length; }
    void SetSelection(std::size_t start, std::size_t length);
    // The back-end's editor changed the text: store it without disturbing the editor.
    void text_edited(std::string text);

private:
    std::size_t m_sel_start = 0;
    std::size_t m_sel_length = 0;
};

class TListBox : public TControl {
public:
    const char* ClassName() const override { return "TListBox"; }
    bool takes_focus() const override { return true; }
    const std::vector<std::string>& Items() const { return m_items; }
    // Appends a line at the end. Throws ListError("Unable to insert a line") when the list
    // cannot take it; the list is then unchanged.
    void add_line(std::string line);
    int ItemHeight() const { return m_item_height; }
    int ItemIndex() const { return m_item_index; }
    void SetItemIndex(int index);
    // Tests only: the list refuses lines once it holds `capacity` of them.
    void set_capacity_for_tests(std::optional<std::size_t> capacity) { m_capacity = capacity; }
    void set_property(const PropertySetter& p) override;

private:
    std::vector<std::string> m_items;
    int m_item_height = 13;
    int m_item_index = -1;
    std::optional<std::size_t> m_capacity;
};

class TLabel : public TControl {
public:
    const char* ClassName() const override { return "TLabel"; }
};

class TImage : public TControl {
public:
    const char* ClassName() const override { return "TImage"; }
    const Picture& picture() const { return m_picture; }
    void set_property(const PropertySetter& p) override;

private:
    Picture m_picture;
};

// A push button. Its caption may mark an accelerator with "&".
class TButton : public TControl {
public:
    const char* ClassName() const override { return "TButton"; }
    bool takes_focus() const override { return true; }
    void Click() override;
    int ModalResult = mrNone;
    void set_property(const PropertySetter& p) override;
};

// A button with a two-cell picture beside its caption: the first cell while enabled, the second
// while disabled. A close-kind button closes its window when clicked.
class TBitBtn : public TButton {
public:
    enum class Kind { Custom, Close };
    const char* ClassName() const override { return "TBitBtn"; }
    void Click() override;
    Kind kind() const { return m_kind; }
    const Picture& glyph() const { return m_glyph; }
    int NumGlyphs() const { return m_num_glyphs; }
    int Spacing() const { return m_spacing; }
    void SetGlyph(Picture glyph, int cells);
    void set_property(const PropertySetter& p) override;

private:
    Kind m_kind = Kind::Custom;
    Picture m_glyph;
    int m_num_glyphs = 1;
    int m_spacing = 4;
};

class TCheckBox : public TControl {
public:
    const char* ClassName() const override { return "TCheckBox"; }
    bool takes_focus() const override { return true; }
    bool Checked() const { return m_checked; }
    void SetChecked(bool checked);
    void Click() override; // toggles, then OnClick
    void set_property(const PropertySetter& p) override;

private:
    bool m_checked = false;
};

class TProgressBar : public TControl {
public:
    const char* ClassName() const override { return "TProgressBar"; }
    int Max() const { return m_max; }
    int Position() const { return m_position; }
    void SetRange(int max);
    void SetPosition(int position);

private:
    int m_max = 100;
    int m_position = 0;
};

// The stop, question and other icons of message boxes.
enum class BoxIcon { NoIcon, Stop, Question, Information };

class TIconImage : public TControl {
public:
    const char* ClassName() const override { return "TIconImage"; }
    BoxIcon icon = BoxIcon::NoIcon;
};

// A timer of the application's own timer list. It runs while it is enabled, has an interval
// and a tick handler.
class TTimer : public TComponent {
public:
    TTimer();
    ~TTimer() override;
    const char* ClassName() const override { return "TTimer"; }
    bool Enabled() const { return m_enabled; }
    // Enabling a running timer changes nothing: it is not restarted. Throws ResourceError
    // ("Not enough timers available") when the system has no timer left; the timer then stays
    // off.
    void SetEnabled(bool enabled);
    int Interval() const { return m_interval; }
    void SetInterval(int ms);
    void SetOnTimer(TNotifyEvent handler);
    const TNotifyEvent& OnTimer() const { return m_on_timer; }
    bool is_running() const { return m_running; }
    void set_property(const PropertySetter& p) override;

private:
    friend class TApplication;
    void update();
    bool m_enabled = true;
    int m_interval = 1000;
    TNotifyEvent m_on_timer;
    bool m_running = false;
    std::int64_t m_due = 0;
};

} // namespace toolkit
