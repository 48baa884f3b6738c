#include "platform/fileops/service_windows.h"

#include "platform/fileops/copy_texts.h"

namespace fileops {

using namespace toolkit;

namespace {
    std::unique_ptr<TForm> build_progress_window()
    {
        auto form = std::make_unique<TForm>();
        form->Name = ServiceWindows::progress_window_name;
        form->SetCaption(texts::progress_caption);
        form->SetClientSize(360, 92);

        auto item = std::make_unique<TLabel>();
        item->Name = "Kohde";
        item->SetText(texts::copying(""));
        item->SetBounds({ 11, 11, 338, 13 });
        form->add(std::move(item));

        auto bar = std::make_unique<TProgressBar>();
        bar->Name = "Edistyminen";
        bar->SetBounds({ 11, 32, 338, 16 });
        bar->SetRange(1000);
        form->add(std::move(bar));

        auto cancel = std::make_unique<TButton>();
        cancel->Name = ServiceWindows::cancel_button_name;
        cancel->SetText(texts::cancel);
        cancel->ModalResult = mrCancel;
        cancel->SetBounds({ 274, 58, 75, 23 });
        TButton* raw = form->add(std::move(cancel));
        raw->set_tab_order(0);
        form->SetActiveControl(raw);
        return form;
    }

    // `text` shortened in the middle with "…" until the back-end draws it within `width`
    // pixels, cutting only between whole UTF-8 sequences.
    std::string fit(const std::string& text, int width, const Backend& backend, const Font& font)
    {
        if (backend.text_width(text, font) <= width)
            return text;
        std::vector<std::size_t> starts;
        for (std::size_t i = 0; i < text.size(); ++i)
            if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
                starts.push_back(i);
        starts.push_back(text.size());
        const std::size_t characters = starts.size() - 1;
        for (std::size_t keep = characters; keep-- > 0;) {
            const std::size_t head = (keep + 1) / 2;
            const std::size_t tail = keep - head;
            const std::string shortened = text.substr(0, starts[head]) + "…" + text.substr(starts[characters - tail]);
            if (backend.text_width(shortened, font) <= width)
                return shortened;
        }
        return "…";
    }
} // namespace

ServiceWindows::ServiceWindows(TApplication& app, CopyProgress& progress, bool show_progress, bool show_errors)
    : m_app(app)
    , m_progress(progress)
    , m_show_progress(show_progress)
    , m_show_errors(show_errors)
    , m_started(app.backend().monotonic_ms())
{
    m_window = app.add_form(build_progress_window());
    m_item = dynamic_cast<TLabel*>(m_window->find_component("Kohde"));
    m_bar = dynamic_cast<TProgressBar*>(m_window->find_component("Edistyminen"));
    m_window->ModalResult = mrNone;
    // Made modal at once but shown only later: meanwhile no window of the program takes input.
    m_modal = std::make_unique<TApplication::ModalWindow>(app, *m_window, false, false);
    m_background = std::make_unique<TApplication::BackgroundWork>(app);
    m_timer.SetInterval(progress_interval_ms);
    m_timer.SetOnTimer([this](TObject*) { tick(); });
    m_timer.SetEnabled(true);
}

ServiceWindows::~ServiceWindows()
{
    m_timer.SetEnabled(false);
    m_background.reset();
    m_modal.reset();
    m_app.destroy_form(m_window);
}

void ServiceWindows::tick()
{
    if (!m_modal->shown()) {
        // Never over a question or an error report that is open.
        if (!m_show_progress || m_app.backend().monotonic_ms() - m_started < progress_delay_ms
            || m_app.active_window() != m_app.background_window())
            return;
        m_modal->show();
        m_app.set_work_window(m_window);
    }
    if (std::string item = m_progress.item(); item != m_shown_item) {
        m_item->SetText(fit(texts::copying(item), m_item->ScaledBounds().width, m_app.backend(), m_item->font()));
        m_shown_item = std::move(item);
    }
    const std::uint64_t total = m_progress.bytes_total.load();
    const std::uint64_t done = m_progress.bytes_done.load();
    if (total > 0)
        m_bar->SetPosition(static_cast<int>(std::min<std::uint64_t>(1000, done * 1000 / total)));
}

Answer ServiceWindows::ask(const std::string& text, bool with_all)
{
    std::vector<TApplication::BoxButton> buttons { { texts::yes, mrYes } };
    if (with_all) {
        buttons.push_back({ texts::yes_to_all, mrYesToAll });
        buttons.push_back({ texts::no, mrNo });
    }
    buttons.push_back({ texts::cancel, mrCancel });
    switch (m_app.message_box(text, texts::question_caption, BoxIcon::Question, buttons, 0, mrCancel)) {
    case mrYes:
        return Answer::Yes;
    case mrYesToAll:
        return Answer::YesToAll;
    case mrNo:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

Answer ServiceWindows::ask_create_folder(const std::string& shown) { return ask(texts::ask_create(shown), false); }

Answer ServiceWindows::ask_replace_file(const std::string& shown) { return ask(texts::ask_replace(shown), true); }

Answer ServiceWindows::ask_merge_folder(const std::string& shown) { return ask(texts::ask_merge(shown), true); }

void show_error_window(TApplication& app, const std::string& text)
{
    app.message_box(text, texts::error_caption, BoxIcon::Stop, { { texts::ok, mrOk } }, 0, mrOk);
}

void ServiceWindows::report_error(const std::string& text)
{
    if (m_show_errors)
        show_error_window(m_app, text);
}

void ServiceWindows::poll() { m_app.handle_pending(); }

void ServiceWindows::wait() { m_app.handle_one(); }

void ServiceWindows::wake()
{
    // A message rather than a bare wake-up, so that none is lost between a look and the wait.
    Message m;
    m.kind = Message::Kind::Work;
    m.work = [] { };
    m_app.queue().post(std::move(m));
}

bool ServiceWindows::cancelled() { return m_app.Terminated() || m_window->ModalResult != mrNone; }

} // namespace fileops
