#pragma once

#include "platform/toolkit/components.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace toolkit {

class TApplication;

// A window. Its controls come from a window description; a derived class declares the fields and
// handlers that the description binds by name.
class TForm : public TComponent {
public:
    TForm();
    ~TForm() override;
    const char* ClassName() const override { return "TForm"; }

    std::string Caption() const { return m_caption; }
    void SetCaption(std::string caption);
    // The client area in layout pixels (for a text height of 13), and scaled.
    int ClientWidth() const { return m_client_width; }
    int ClientHeight() const { return m_client_height; }
    void SetClientSize(int width, int height);
    int ScaledClientWidth() const;
    int ScaledClientHeight() const;
    const Font& font() const { return m_font; }
    // The position of the client area on the screen, in screen pixels.
    int Left() const { return m_left; }
    int Top() const { return m_top; }
    void SetPosition(int left, int top);
    bool has_been_shown() const { return m_shown_once; }

    bool Visible() const { return m_visible; }
    // A disabled window takes no input from the user. It is not drawn greyed.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);

    // The control that has (or, while the window is not active, will get back) the focus.
    TControl* ActiveControl() const { return m_active_control; }
    void SetActiveControl(TControl* control);
    // The first control in tab order that can take the focus.
    TControl* first_in_tab_order() const;
    // Tab and Shift+Tab: the next or previous control that can take the focus, wrapping around.
    TControl* next_in_tab_order(TControl* from, bool forward) const;

    // Shows the window modally and runs events until it has a result, which it returns.
    int ShowModal();
    // Shows the window without a loop of its own (the main window at start-up).
    void Show();
    void Hide();
    // The close box: a modal window gets the result cancel; the main window makes the end
    // request; any other window is hidden.
    void Close();
    int ModalResult = mrNone;
    bool is_modal() const { return m_modal_depth > 0; }

    TNotifyEvent OnActivate;

    // Windows made by the toolkit itself (message boxes, the file-operation windows).
    bool is_message_box() const { return m_message_box; }
    const std::string& message_text() const { return m_message_text; }
    BoxIcon message_icon() const { return m_message_icon; }

    const std::vector<std::unique_ptr<TComponent>>& components() const { return m_components; }
    std::vector<TControl*> controls() const;
    TComponent* find_component(std::string_view name) const;
    TControl* find_control(std::string_view name) const;

    // Takes ownership of a component created by the loader or by code.
    template <class T> T* add(std::unique_ptr<T> component)
    {
        T* raw = component.get();
        adopt(std::move(component));
        return raw;
    }

    void set_property(const PropertySetter& p) override;

    // Binding by name, used by derived classes in their constructors.
    TNotifyEvent handler_named(const std::string& name) const;
    // Fields the loader sets: name -> a setter that checks the component's type.
    using FieldBinder = std::function<bool(TComponent*)>;
    const std::map<std::string, FieldBinder>& fields() const { return m_fields; }

    View* view() const { return m_view.get(); }
    void set_view(std::unique_ptr<View> v) { m_view = std::move(v); }
    void changed();

protected:
    template <class T> void bind_field(const std::string& name, T*& field)
    {
        m_fields[name] = [&field](TComponent* c) {
            field = dynamic_cast<T*>(c);
            return field != nullptr;
        };
    }
    template <class F> void bind_handler(const std::string& name, void (F::*member)(TObject*))
    {
        F* self = static_cast<F*>(this);
        m_handlers[name] = [self, member](TObject* sender) { (self->*member)(sender); };
    }

private:
    friend class TApplication;
    friend class MessageBoxBuilder;
    void adopt(std::unique_ptr<TComponent> component);

    std::string m_caption;
    int m_client_width = 0;
    int m_client_height = 0;
    Font m_font;
    int m_left = 0;
    int m_top = 0;
    bool m_shown_once = false;
    bool m_visible = false;
    bool m_enabled = true;
    int m_modal_depth = 0;
    TControl* m_active_control = nullptr;
    bool m_message_box = false;
    std::string m_message_text;
    BoxIcon m_message_icon = BoxIcon::NoIcon;
    std::vector<std::unique_ptr<TComponent>> m_components;
    std::map<std::string, TNotifyEvent> m_handlers;
    std::map<std::string, FieldBinder> m_fields;
    std::unique_ptr<View> m_view;
};

} // namespace toolkit
