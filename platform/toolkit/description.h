#pragma once

#include <string_view>

namespace toolkit {

class TForm;

// Loads a window description into `form`: the window's properties, then each control with its
// kind, name and properties, bound to the field of that name and to the named handlers.
//
// The format, one item a line ("#" starts a comment):
//
//   window Form1 : TForm1
//     Caption "Siirtolux 1.0"
//     ClientSize 408 218
//     control Edit1 : TEdit
//       Bounds 16 24 121 21
//       TabOrder 0
//     end
//     control Image1 : TImage
//       Picture [ 0A 54 4A ... ]      # bytes in hex, may span lines
//     end
//   end
//
// Values are quoted strings (UTF-8, with \" \\ \n), integers, identifiers and hex blocks.
// Throws DescriptionError naming `source` and the line for bad syntax, an unknown control kind,
// property, handler or picture kind, a class that is not the form's, a duplicate name, or a
// declared field with no control; errors raised by the components themselves (a timer that
// cannot be armed) pass through unchanged. The form is left half loaded: callers discard it.
void load_description(TForm& form, std::string_view text, std::string_view source);

} // namespace toolkit
