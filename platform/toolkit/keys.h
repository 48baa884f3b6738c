#pragma once

#include <string>

namespace toolkit {

enum class Key {
    Character, // `text` holds the character typed, as UTF-8
    Tab,
    Enter,
    Space,
    Escape,
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    Backspace,
    Delete,
    F4,
    Other,
};

struct KeyEvent {
    Key key = Key::Other;
    std::string text; // for Key::Character: the character, UTF-8
    bool shift = false;
    bool ctrl = false;
    bool alt = false;

    static KeyEvent character(std::string c, bool alt = false)
    {
        KeyEvent k;
        k.key = Key::Character;
        k.text = std::move(c);
        k.alt = alt;
        return k;
    }
};

} // namespace toolkit
