// The smallest FLTK program with a window of the main window's size: the peer for start-up time.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Window.H>

int main()
{
    Fl_Window window(408, 218, "Minimal FLTK");
    Fl_Box box(16, 16, 200, 20, "Minimal");
    window.end();
    window.show();
    return Fl::run();
}
