#pragma once

#include "platform/toolkit/pictures/pictures.h"

#include <filesystem>
#include <string>

namespace pictures {

// Reads a picture drawn as text: one character a pixel, with a legend of what each character
// stands for. The form:
//
//   # comment lines start with a hash
//   size 16 16
//   colour K 0 0 0          black (the rest of the line is a note)
//   colour _ none           a transparent pixel
//   pixels
//   KKKK...                 exactly "height" rows of exactly "width" characters
//
// Throws std::runtime_error naming the file and line of the first mistake.
toolkit::pictures::Image read_sketch(const std::filesystem::path& file);

} // namespace pictures
