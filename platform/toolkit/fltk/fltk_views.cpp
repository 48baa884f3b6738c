#include "platform/toolkit/fltk/fltk_views.h"

#include "platform/toolkit/application.h"
#include "platform/toolkit/fltk/fltk_backend.h"

#include <FL/Fl.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Progress.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <cstring>
#include <vector>

namespace toolkit::fltk {

int g_capture_generation = 0;

namespace {

    const Fl_Color face_colour = FL_BACKGROUND_COLOR;
    Fl_Color grey() { return fl_rgb_color(128, 128, 128); }

    void post_click(TControl& control)
    {
        Message m;
        m.kind = Message::Kind::Click;
        m.form = control.Parent();
        m.control = &control;
        Application->queue().post(std::move(m));
    }

    // The caption without its "&" marks, and the byte offset of the marked character.
    std::pair<std::string, int> split_caption(const std::string& caption)
    {
        std::string text;
        int underline = -1;
        for (std::size_t i = 0; i < caption.size(); ++i) {
            if (caption[i] == '&' && i + 1 < caption.size()) {
                ++i;
                if (caption[i] != '&')
                    underline = static_cast<int>(text.size());
            }
            text += caption[i];
        }
        return { text, underline };
    }

    int utf8_length(const char* s)
    {
        const unsigned char c = static_cast<unsigned char>(*s);
        return c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    }

    // Draws a caption with its baseline at y; a disabled caption is etched in grey and white.
    void draw_caption(const std::string& caption, int x, int y, bool enabled, bool underline_marks = true)
    {
        const auto [text, underline] = underline_marks ? split_caption(caption) : std::pair { caption, -1 };
        auto one = [&, &text = text, underline = underline](int d, Fl_Color colour) {
            fl_color(colour);
            fl_draw(text.c_str(), static_cast<int>(text.size()), x + d, y + d);
            if (underline >= 0 && underline < static_cast<int>(text.size())) {
                const int ux = x + d + static_cast<int>(fl_width(text.c_str(), underline));
                const int uw = static_cast<int>(fl_width(text.c_str() + underline, utf8_length(text.c_str() + underline)));
                fl_line(ux, y + d + 1, ux + uw - 1, y + d + 1);
            }
        };
        if (enabled) {
            one(0, FL_BLACK);
        } else {
            one(1, FL_WHITE);
            one(0, grey());
        }
    }

    int caption_width(const std::string& caption)
    {
        const auto [text, underline] = split_caption(caption);
        return static_cast<int>(fl_width(text.c_str(), static_cast<int>(text.size())));
    }

    void set_font(const FltkBackend& backend, const Font& font) { fl_font(FltkBackend::font_face(font), backend.font_pixels(font)); }

    void draw_bevel(int x, int y, int w, int h, bool pressed)
    {
        fl_color(face_colour);
        fl_rectf(x, y, w, h);
        if (pressed) {
            fl_color(FL_BLACK);
            fl_rect(x, y, w, h);
            fl_color(grey());
            fl_rect(x + 1, y + 1, w - 2, h - 2);
            return;
        }
        fl_color(FL_WHITE);
        fl_xyline(x, y, x + w - 2);
        fl_yxline(x, y, y + h - 2);
        fl_color(FL_BLACK);
        fl_xyline(x, y + h - 1, x + w - 1);
        fl_yxline(x + w - 1, y, y + h - 1);
        fl_color(grey());
        fl_xyline(x + 1, y + h - 2, x + w - 2);
        fl_yxline(x + w - 2, y + 1, y + h - 2);
    }

    void draw_focus_rect(int x, int y, int w, int h)
    {
        fl_color(FL_BLACK);
        fl_line_style(FL_DOT);
        fl_rect(x, y, w, h);
        fl_line_style(0);
    }

    class ViewLink final : public View {
    public:
        explicit ViewLink(ControlWidget* w)
            : m_widget(w)
        {
        }
        void update() override { m_widget->sync(); }

    private:
        ControlWidget* m_widget;
    };

    // Widgets -----------------------------------------------------------------------------------

    template <class Base> class Linked : public Base, public ControlWidget {
    public:
        Linked(FltkBackend& backend, TControl& control, Rect r)
            : Base(r.left, r.top, r.width, r.height)
            , m_backend(backend)
            , m_control(control)
        {
        }
        Fl_Widget* widget() override { return this; }
        void sync_common()
        {
            if (m_control.Visible())
                this->show();
            else
                this->hide();
            if (m_control.Enabled())
                this->activate();
            else
                this->deactivate();
            this->redraw();
        }

    protected:
        FltkBackend& m_backend;
        TControl& m_control;
    };

    class EditView final : public Linked<Fl_Input> {
    public:
        EditView(FltkBackend& b, TEdit& edit, Rect r)
            : Linked(b, edit, r)
            , m_edit(edit)
        {
            box(FL_DOWN_BOX);
            color(FL_WHITE);
            textfont(FltkBackend::font_face(edit.font()));
            textsize(b.font_pixels(edit.font()));
            when(FL_WHEN_CHANGED);
            callback([](Fl_Widget* w, void*) {
                auto* self = static_cast<EditView*>(w);
                self->m_edit.text_edited(self->value());
            });
        }
        void sync() override
        {
            if (m_edit.Text() != value())
                value(m_edit.Text().c_str(), static_cast<int>(m_edit.Text().size()));
            sync_common();
        }
        int handle(int event) override
        {
            if (event == FL_PUSH && m_edit.Parent())
                m_edit.Parent()->SetActiveControl(&m_edit);
            return Fl_Input::handle(event);
        }
        // The selection the toolkit chose (all of it after Tab).
        void apply_selection() { position(static_cast<int>(m_edit.SelStart() + m_edit.SelLength()), static_cast<int>(m_edit.SelStart())); }

    private:
        TEdit& m_edit;
    };

    class ListView final : public Linked<Fl_Hold_Browser> {
    public:
        ListView(FltkBackend& b, TListBox& list, Rect r, int item_height)
            : Linked(b, list, r)
            , m_list(list)
            , m_item_height(item_height)
        {
            box(FL_DOWN_BOX);
            color(FL_WHITE);
            format_char(0);
            has_scrollbar(Fl_Browser_::VERTICAL);
            textfont(FltkBackend::font_face(list.font()));
            textsize(b.font_pixels(list.font()));
            callback([](Fl_Widget* w, void*) {
                auto* self = static_cast<ListView*>(w);
                self->m_list.SetItemIndex(self->value() - 1);
            });
        }
        void sync() override
        {
            const auto& items = m_list.Items();
            if (static_cast<std::size_t>(size()) > items.size())
                clear();
            // Lines are only ever appended: add the new ones, without scrolling or selecting.
            for (std::size_t i = static_cast<std::size_t>(size()); i < items.size(); ++i)
                add(items[i].c_str());
            if (value() != m_list.ItemIndex() + 1)
                value(m_list.ItemIndex() + 1);
            sync_common();
        }
        int handle(int event) override
        {
            if (event == FL_PUSH && m_list.Parent())
                m_list.Parent()->SetActiveControl(&m_list);
            return Fl_Hold_Browser::handle(event);
        }

    protected:
        int item_height(void*) const override { return m_item_height; }

    private:
        TListBox& m_list;
        int m_item_height;
    };

    class LabelView final : public Linked<Fl_Widget> {
    public:
        LabelView(FltkBackend& b, TControl& label, Rect r)
            : Linked(b, label, r)
        {
        }
        void sync() override
        {
            // Labels size themselves to their text, line by line.
            set_font(m_backend, m_control.font());
            int widest = 0;
            for (const std::string& line : lines())
                widest = std::max(widest, static_cast<int>(fl_width(line.c_str(), static_cast<int>(line.size()))));
            const int w = std::max(m_control.ScaledBounds().width, widest + 1);
            if (w != this->w())
                size(w, h());
            sync_common();
            if (parent())
                parent()->redraw();
        }
        void draw() override
        {
            fl_color(face_colour);
            fl_rectf(x(), y(), w(), h());
            set_font(m_backend, m_control.font());
            int baseline = y() + fl_height() - fl_descent();
            for (const std::string& line : lines()) {
                draw_caption(line, x(), baseline, m_control.Enabled(), false);
                baseline += fl_height();
            }
        }

    private:
        std::vector<std::string> lines() const
        {
            std::vector<std::string> result;
            const std::string& text = m_control.Text();
            std::size_t start = 0;
            for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
                result.push_back(text.substr(start, end - start));
            result.push_back(text.substr(start));
            return result;
        }
    };

    class ImageView final : public Linked<Fl_Widget> {
    public:
        ImageView(FltkBackend& b, TImage& image, Rect r)
            : Linked(b, image, r)
            , m_image(image)
        {
        }
        void sync() override
        {
            m_rgb = m_image.picture().empty() ? nullptr : make_image(m_image.picture());
            sync_common();
        }
        void draw() override
        {
            fl_color(face_colour);
            fl_rectf(x(), y(), w(), h());
            // At its own size in the top-left corner: neither stretched nor centred.
            if (m_rgb)
                m_rgb->draw(x(), y(), std::min(w(), m_rgb->w()), std::min(h(), m_rgb->h()));
        }

    private:
        TImage& m_image;
        std::unique_ptr<Fl_RGB_Image> m_rgb;
    };

    class IconView final : public Linked<Fl_Widget> {
    public:
        IconView(FltkBackend& b, TIconImage& icon, Rect r)
            : Linked(b, icon, r)
            , m_icon(icon)
        {
        }
        void sync() override { sync_common(); }
        void draw() override
        {
            fl_color(face_colour);
            fl_rectf(x(), y(), w(), h());
            const int d = std::min(w(), h()) - 2;
            const int cx = x() + 1;
            const int cy = y() + 1;
            switch (m_icon.icon) {
            case BoxIcon::Stop: {
                fl_color(fl_rgb_color(128, 0, 0));
                fl_pie(cx + 1, cy + 1, d, d, 0, 360);
                fl_color(fl_rgb_color(224, 0, 0));
                fl_pie(cx, cy, d - 1, d - 1, 0, 360);
                fl_color(FL_WHITE);
                fl_line_style(FL_SOLID | FL_CAP_ROUND, std::max(2, d / 8));
                const int m = d * 3 / 10;
                fl_line(cx + m, cy + m, cx + d - 1 - m, cy + d - 1 - m);
                fl_line(cx + d - 1 - m, cy + m, cx + m, cy + d - 1 - m);
                fl_line_style(0);
                break;
            }
            case BoxIcon::Question:
            case BoxIcon::Information: {
                fl_color(FL_WHITE);
                fl_pie(cx, cy, d, d, 0, 360);
                fl_color(fl_rgb_color(0, 0, 160));
                fl_arc(cx, cy, d, d, 0, 360);
                fl_font(FL_HELVETICA_BOLD, d * 2 / 3);
                const char* mark = m_icon.icon == BoxIcon::Question ? "?" : "i";
                const int tw = static_cast<int>(fl_width(mark));
                fl_draw(mark, 1, cx + (d - tw) / 2, cy + d / 2 + fl_height() / 2 - fl_descent());
                break;
            }
            case BoxIcon::NoIcon:
                break;
            }
        }

    private:
        TIconImage& m_icon;
    };

    // A control the user presses with the mouse: the click counts when the button is let go
    // over it, unless an error cancelled the capture meanwhile. The click goes to the toolkit's
    // queue as a message; focus changes only repaint.
    class PressableView : public Linked<Fl_Widget> {
    public:
        PressableView(FltkBackend& b, TControl& control, Rect r)
            : Linked(b, control, r)
        {
        }
        int handle(int event) override
        {
            switch (event) {
            case FL_PUSH:
                if (Fl::event_button() != FL_LEFT_MOUSE)
                    return 1;
                m_pressed = true;
                m_inside = true;
                m_generation = g_capture_generation;
                redraw();
                return 1;
            case FL_DRAG:
                if (m_inside != Fl::event_inside(this)) {
                    m_inside = !m_inside;
                    redraw();
                }
                return 1;
            case FL_RELEASE: {
                const bool click = is_down() && Fl::event_inside(this);
                m_pressed = false;
                redraw();
                if (click)
                    post_click(m_control);
                return 1;
            }
            case FL_FOCUS:
            case FL_UNFOCUS:
                redraw();
                return 1;
            case FL_ENTER:
            case FL_LEAVE:
                return 1;
            default:
                return Fl_Widget::handle(event);
            }
        }

    protected:
        bool is_down() const { return m_pressed && m_inside && m_generation == g_capture_generation; }

    private:
        bool m_pressed = false;
        bool m_inside = false;
        int m_generation = 0;
    };

    class ButtonView final : public PressableView {
    public:
        ButtonView(FltkBackend& b, TButton& button, Rect r)
            : PressableView(b, button, r)
            , m_button(button)
            , m_bitbtn(dynamic_cast<TBitBtn*>(&button))
        {
        }
        void sync() override
        {
            if (m_bitbtn && !m_bitbtn->glyph().empty()) {
                const int cells = m_bitbtn->NumGlyphs();
                m_cells[0] = make_image(m_bitbtn->glyph(), 0, cells, true);
                m_cells[1] = cells > 1 ? make_image(m_bitbtn->glyph(), 1, cells, true) : nullptr;
            }
            sync_common();
        }
        void draw() override
        {
            const bool down = is_down();
            draw_bevel(x(), y(), w(), h(), down);
            set_font(m_backend, m_button.font());
            const bool enabled = m_button.Enabled();
            const int text_w = caption_width(m_button.Text());
            const Fl_RGB_Image* glyph = nullptr;
            if (m_cells[0])
                glyph = (!enabled && m_cells[1]) ? m_cells[1].get() : m_cells[0].get();
            const int spacing = glyph ? scale(m_bitbtn->Spacing(), m_backend.screen().text_height) : 0;
            const int total = (glyph ? glyph->w() + spacing : 0) + text_w;
            const int shift = down ? 1 : 0;
            int left = x() + (w() - total) / 2 + shift;
            if (glyph) {
                const_cast<Fl_RGB_Image*>(glyph)->draw(left, y() + (h() - glyph->h()) / 2 + shift);
                left += glyph->w() + spacing;
            }
            const int baseline = y() + (h() + fl_height()) / 2 - fl_descent() + shift;
            draw_caption(m_button.Text(), left, baseline, enabled);
            if (Fl::focus() == this && enabled)
                draw_focus_rect(x() + 4, y() + 4, w() - 8, h() - 8);
        }

    private:
        TButton& m_button;
        TBitBtn* m_bitbtn;
        std::unique_ptr<Fl_RGB_Image> m_cells[2];
    };

    class CheckView final : public PressableView {
    public:
        CheckView(FltkBackend& b, TCheckBox& check, Rect r)
            : PressableView(b, check, r)
            , m_check(check)
        {
        }
        void sync() override { sync_common(); }
        void draw() override
        {
            fl_color(face_colour);
            fl_rectf(x(), y(), w(), h());
            const int box = scale(13, m_backend.screen().text_height);
            const int bx = x();
            const int by = y() + (h() - box) / 2;
            fl_color(m_check.Enabled() ? FL_WHITE : face_colour);
            fl_rectf(bx, by, box, box);
            fl_color(grey());
            fl_xyline(bx, by, bx + box - 1);
            fl_yxline(bx, by, by + box - 1);
            fl_color(FL_WHITE);
            fl_xyline(bx, by + box - 1, bx + box - 1);
            fl_yxline(bx + box - 1, by, by + box - 1);
            fl_color(FL_BLACK);
            fl_xyline(bx + 1, by + 1, bx + box - 2);
            fl_yxline(bx + 1, by + 1, by + box - 2);
            if (m_check.Checked()) {
                fl_color(m_check.Enabled() ? FL_BLACK : grey());
                const int s = box / 4;
                for (int i = 0; i < 3; ++i) {
                    fl_line(bx + s, by + box / 2 - 1 + i, bx + box / 2 - 1, by + box - s - 2 + i);
                    fl_line(bx + box / 2 - 1, by + box - s - 2 + i, bx + box - s - 1, by + s + i);
                }
            }
            set_font(m_backend, m_check.font());
            const int tx = bx + box + 4;
            const int baseline = y() + (h() + fl_height()) / 2 - fl_descent();
            draw_caption(m_check.Text(), tx, baseline, m_check.Enabled());
            if (Fl::focus() == this)
                draw_focus_rect(tx - 2, y() + (h() - fl_height()) / 2 - 1, caption_width(m_check.Text()) + 4, fl_height() + 2);
        }

    private:
        TCheckBox& m_check;
    };

    class ProgressView final : public Linked<Fl_Progress> {
    public:
        ProgressView(FltkBackend& b, TProgressBar& bar, Rect r)
            : Linked(b, bar, r)
            , m_bar(bar)
        {
            box(FL_DOWN_BOX);
            color(FL_WHITE);
            selection_color(fl_rgb_color(0, 0, 128));
        }
        void sync() override
        {
            minimum(0);
            maximum(static_cast<float>(m_bar.Max()));
            value(static_cast<float>(m_bar.Position()));
            sync_common();
        }

    private:
        TProgressBar& m_bar;
    };

    ControlWidget* make_widget(FltkBackend& b, TControl& c)
    {
        const Rect r = c.ScaledBounds();
        if (auto* edit = dynamic_cast<TEdit*>(&c))
            return new EditView(b, *edit, r);
        if (auto* list = dynamic_cast<TListBox*>(&c))
            return new ListView(b, *list, r, scale(list->ItemHeight(), b.screen().text_height));
        if (auto* image = dynamic_cast<TImage*>(&c))
            return new ImageView(b, *image, r);
        if (auto* icon = dynamic_cast<TIconImage*>(&c))
            return new IconView(b, *icon, r);
        if (auto* button = dynamic_cast<TButton*>(&c))
            return new ButtonView(b, *button, r);
        if (auto* check = dynamic_cast<TCheckBox*>(&c))
            return new CheckView(b, *check, r);
        if (auto* bar = dynamic_cast<TProgressBar*>(&c))
            return new ProgressView(b, *bar, r);
        return new LabelView(b, c, r);
    }

    void set_dialog_hints(Fl_Window& w)
    {
        // A fixed dialog frame: move and close only, no minimise or maximise box.
        struct {
            unsigned long flags, functions, decorations;
            long input_mode;
            unsigned long status;
        } hints { 1 | 2, 4 | 32, 2 | 8 | 16, 0, 0 };
        const Atom motif = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
        XChangeProperty(fl_display, fl_xid(&w), motif, motif, 32, PropModeReplace,
            reinterpret_cast<unsigned char*>(&hints), 5);
    }

} // namespace

// Window ---------------------------------------------------------------------------------------

FormWindow::FormWindow(FltkBackend& b, TForm& f)
    : Fl_Double_Window(f.ScaledClientWidth(), f.ScaledClientHeight())
    , form(f)
    , backend(b)
{
    color(face_colour);
    for (TControl* control : form.controls()) {
        ControlWidget* widget = make_widget(backend, *control);
        control->set_view(std::make_unique<ViewLink>(widget));
        widget->sync();
    }
    end();
    resizable(nullptr);
    size_range(w(), h(), w(), h());
    xclass("siirtolux");
    callback([](Fl_Widget* w, void*) {
        // The close box, the window menu's close and the window manager's close request.
        auto* self = static_cast<FormWindow*>(w);
        Message m;
        m.kind = Message::Kind::Close;
        m.form = &self->form;
        Application->queue().post(std::move(m));
    });
    form.set_view(nullptr);
    sync();
}

FormWindow::~FormWindow() { unlink(); }

void FormWindow::unlink()
{
    for (TControl* control : form.controls())
        control->set_view(nullptr);
}

void FormWindow::sync()
{
    copy_label(form.Caption().c_str());
    if (form.Left() != m_last_left || form.Top() != m_last_top) {
        m_last_left = form.Left();
        m_last_top = form.Top();
        position(form.Left(), form.Top());
    }
}

int FormWindow::handle(int event)
{
    switch (event) {
    case FL_KEYBOARD:
        // A key that no widget used ends here: FLTK's own focus moves and shortcuts stay off.
        Fl_Double_Window::handle(event);
        return 1;
    case FL_SHORTCUT:
        return 0;
    case FL_MOVE:
    case FL_ENTER:
        Fl_Double_Window::handle(event);
        return 1;
    default:
        return Fl_Double_Window::handle(event);
    }
}

void FormWindow::focus_active_control()
{
    TControl* active = form.ActiveControl();
    Fl_Widget* old = Fl::focus();
    Fl_Widget* target = nullptr;
    // The widgets were made in the order of the window's controls.
    const auto controls = form.controls();
    for (std::size_t n = 0; n < controls.size() && n < static_cast<std::size_t>(children()); ++n)
        if (controls[n] == active)
            target = child(static_cast<int>(n));
    if (!target)
        target = this;
    if (target != old) {
        Fl::focus(target);
        if (old)
            old->redraw();
        target->redraw();
    }
    if (auto* edit = dynamic_cast<EditView*>(target))
        edit->apply_selection();
}

std::unique_ptr<Fl_RGB_Image> make_image(const Picture& picture, int cell, int cells, bool transparent)
{
    const int cw = picture.width / std::max(1, cells);
    const int h = picture.height;
    auto* data = new uchar[static_cast<std::size_t>(cw) * h * 4];
    const std::uint8_t* key = &picture.rgba[(static_cast<std::size_t>(h - 1) * picture.width + cell * cw) * 4];
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < cw; ++x) {
            const std::uint8_t* p = &picture.rgba[(static_cast<std::size_t>(y) * picture.width + cell * cw + x) * 4];
            uchar* q = &data[(static_cast<std::size_t>(y) * cw + x) * 4];
            std::memcpy(q, p, 4);
            if (transparent && p[0] == key[0] && p[1] == key[1] && p[2] == key[2])
                q[3] = 0;
        }
    auto image = std::make_unique<Fl_RGB_Image>(data, cw, h, 4);
    image->alloc_array = 1;
    return image;
}

void register_fonts()
{
    // Liberation Sans stands in for the layouts' sans-serif font; its metrics are close.
    Fl::set_font(FL_FREE_FONT, " Liberation Sans");
    Fl::set_font(static_cast<Fl_Font>(FL_FREE_FONT + 1), "BLiberation Sans");
}

void apply_dialog_hints(Fl_Window& w) { set_dialog_hints(w); }

} // namespace toolkit::fltk
