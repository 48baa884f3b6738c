#pragma once

#include "platform/toolkit/components.h"
#include "platform/toolkit/form.h"

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_RGB_Image.H>
#include <memory>

namespace toolkit::fltk {

class FltkBackend;

// A widget that shows one of the toolkit's controls and follows its state.
class ControlWidget {
public:
    virtual ~ControlWidget() = default;
    virtual void sync() = 0;
    virtual Fl_Widget* widget() = 0;
};

// The native window of a TForm. It swallows FLTK's own keyboard navigation; the toolkit's
// dialog handling moves the focus instead.
class FormWindow final : public Fl_Double_Window {
public:
    FormWindow(FltkBackend& backend, TForm& form);
    ~FormWindow() override;
    int handle(int event) override;
    void sync();
    // Gives the keyboard focus to the widget of the window's active control.
    void focus_active_control();
    void unlink();

    TForm& form;
    FltkBackend& backend;
    bool modal_shown = false;

private:
    int m_last_left = -1;
    int m_last_top = -1;
};

// An FLTK image of a picture, or of one cell of a picture, with the colour of the cell's
// bottom-left pixel made transparent.
std::unique_ptr<Fl_RGB_Image> make_image(const Picture& picture, int cell = 0, int cells = 1, bool transparent = false);

// Counts the mouse captures cancelled so far: a button pressed before the latest one does not
// count its release as a click.
extern int g_capture_generation;

// Marks a shown window as a fixed dialog: move and close only, no minimise or maximise box.
void apply_dialog_hints(Fl_Window& window);

// Sets up the fonts and the label type that draws "@" as a plain character.
void register_fonts();

} // namespace toolkit::fltk
