#include "platform/toolkit/message_box.h"

#include <algorithm>

namespace toolkit {

class MessageBoxBuilder {
public:
    static void mark(TForm& form, const std::string& text, BoxIcon icon)
    {
        form.m_message_box = true;
        form.m_message_text = text;
        form.m_message_icon = icon;
    }
};

namespace {
    std::vector<std::string> lines_of(const std::string& text)
    {
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (true) {
            const std::size_t end = text.find('\n', start);
            lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        return lines;
    }
} // namespace

std::unique_ptr<TForm> build_message_box(TApplication& app, const std::string& text,
    const std::string& caption, BoxIcon icon, const std::vector<TApplication::BoxButton>& buttons,
    int focused)
{
    // Layout values are for a text height of 13, like every window; measured widths are turned
    // back into layout units so the whole box scales as one.
    const ScreenInfo screen = app.screen();
    const Font font;
    const auto lines = lines_of(text);
    int text_width = 0;
    for (const auto& line : lines)
        text_width = std::max(text_width, mul_div(app.backend().text_width(line, font), design_text_height, std::max(1, screen.text_height)));
    const int line_height = 13;
    const int text_height = static_cast<int>(lines.size()) * line_height;

    constexpr int margin = 11;
    constexpr int icon_size = 32;
    constexpr int button_width = 75;
    constexpr int button_height = 23;
    constexpr int button_gap = 6;
    const int text_left = icon == BoxIcon::NoIcon ? margin : margin + icon_size + 10;
    const int content_height = std::max(icon == BoxIcon::NoIcon ? 0 : icon_size, text_height);
    const int buttons_width = static_cast<int>(buttons.size()) * (button_width + button_gap) - button_gap;
    const int width = std::max({ text_left + text_width + margin + 4, buttons_width + 2 * margin, 120 });
    const int buttons_top = margin + content_height + 14;
    const int height = buttons_top + button_height + margin;

    auto form = std::make_unique<TForm>();
    form->Name = "MessageBox";
    form->SetCaption(caption);
    form->SetClientSize(width, height);
    MessageBoxBuilder::mark(*form, text, icon);

    if (icon != BoxIcon::NoIcon) {
        auto image = std::make_unique<TIconImage>();
        image->Name = "Icon";
        image->icon = icon;
        image->SetBounds({ margin, margin, icon_size, icon_size });
        form->add(std::move(image));
    }
    auto label = std::make_unique<TLabel>();
    label->Name = "Text";
    label->SetText(text);
    label->SetBounds({ text_left, margin + (content_height - text_height) / 2, text_width + 4, text_height });
    form->add(std::move(label));

    int left = (width - buttons_width) / 2;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        auto button = std::make_unique<TButton>();
        button->Name = "Button" + std::to_string(i + 1);
        button->SetText(buttons[i].caption);
        button->ModalResult = buttons[i].result;
        button->SetBounds({ left, buttons_top, button_width, button_height });
        TButton* raw = form->add(std::move(button));
        raw->set_tab_order(static_cast<int>(i));
        if (static_cast<int>(i) == focused)
            form->SetActiveControl(raw);
        left += button_width + button_gap;
    }
    return form;
}

} // namespace toolkit
