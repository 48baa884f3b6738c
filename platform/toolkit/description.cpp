#include "platform/toolkit/description.h"

#include "platform/toolkit/errors.h"
#include "platform/toolkit/form.h"

#include <functional>
#include <map>
#include <memory>
#include <set>

namespace toolkit {

namespace {

    struct Line {
        int number = 0;
        std::vector<PropertyValue> tokens;
    };

    [[noreturn]] void fail(std::string_view source, int line, const std::string& what)
    {
        throw DescriptionError(std::string(source) + ":" + std::to_string(line) + ": " + what);
    }

    int hex_digit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    bool is_identifier_start(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
    bool is_identifier_char(char c) { return is_identifier_start(c) || (c >= '0' && c <= '9') || c == '.'; }

    // Splits the text into lines of tokens; a hex block may span lines and belongs to the line
    // where it starts.
    std::vector<Line> tokenize(std::string_view text, std::string_view source)
    {
        std::vector<Line> lines;
        Line current;
        int line_number = 1;
        current.number = 1;
        std::size_t i = 0;
        auto end_line = [&] {
            if (!current.tokens.empty())
                lines.push_back(std::move(current));
            current = Line {};
            current.number = line_number;
        };
        while (i < text.size()) {
            const char c = text[i];
            if (c == '\n') {
                ++line_number;
                ++i;
                end_line();
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++i;
            } else if (c == '#') {
                while (i < text.size() && text[i] != '\n')
                    ++i;
            } else if (c == '"') {
                PropertyValue v;
                v.type = PropertyValue::Type::String;
                ++i;
                bool closed = false;
                while (i < text.size()) {
                    const char d = text[i++];
                    if (d == '"') {
                        closed = true;
                        break;
                    }
                    if (d == '\n')
                        fail(source, line_number, "unterminated string");
                    if (d == '\\') {
                        if (i >= text.size())
                            break;
                        const char e = text[i++];
                        if (e == 'n')
                            v.text += '\n';
                        else if (e == '"' || e == '\\')
                            v.text += e;
                        else
                            fail(source, line_number, "unknown escape in string");
                    } else {
                        v.text += d;
                    }
                }
                if (!closed)
                    fail(source, line_number, "unterminated string");
                current.tokens.push_back(std::move(v));
            } else if (c == '[') {
                PropertyValue v;
                v.type = PropertyValue::Type::Binary;
                const int start_line = line_number;
                ++i;
                int high = -1;
                bool closed = false;
                while (i < text.size()) {
                    const char d = text[i++];
                    if (d == ']') {
                        closed = true;
                        break;
                    }
                    if (d == '\n') {
                        ++line_number;
                        continue;
                    }
                    if (d == ' ' || d == '\t' || d == '\r')
                        continue;
                    const int digit = hex_digit(d);
                    if (digit < 0)
                        fail(source, line_number, "bad character in hex block");
                    if (high < 0) {
                        high = digit;
                    } else {
                        v.bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
                        high = -1;
                    }
                }
                if (!closed)
                    fail(source, start_line, "unterminated hex block");
                if (high >= 0)
                    fail(source, start_line, "odd number of hex digits");
                current.tokens.push_back(std::move(v));
            } else if (c == '-' || (c >= '0' && c <= '9')) {
                PropertyValue v;
                v.type = PropertyValue::Type::Number;
                const bool negative = c == '-';
                if (negative)
                    ++i;
                if (i >= text.size() || text[i] < '0' || text[i] > '9')
                    fail(source, line_number, "bad number");
                long long n = 0;
                while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
                    n = n * 10 + (text[i++] - '0');
                    if (n > 1'000'000'000)
                        fail(source, line_number, "number out of range");
                }
                v.number = negative ? -n : n;
                current.tokens.push_back(std::move(v));
            } else if (is_identifier_start(c) || c == ':') {
                PropertyValue v;
                v.type = PropertyValue::Type::Identifier;
                if (c == ':') {
                    v.text = ":";
                    ++i;
                } else {
                    while (i < text.size() && is_identifier_char(text[i]))
                        v.text += text[i++];
                }
                current.tokens.push_back(std::move(v));
            } else {
                fail(source, line_number, std::string("unexpected character '") + c + "'");
            }
        }
        end_line();
        return lines;
    }

    class LineSetter final : public PropertySetter {
    public:
        LineSetter(const Line& line, const TForm& form, const TComponent& component, std::string_view source)
            : m_line(line)
            , m_form(form)
            , m_component(component)
            , m_source(source)
            , m_name(line.tokens[0].text)
            , m_values(line.tokens.begin() + 1, line.tokens.end())
        {
        }
        const std::string& name() const override { return m_name; }
        const std::vector<PropertyValue>& values() const override { return m_values; }

        std::string string() const override { return single(PropertyValue::Type::String, "a quoted string").text; }
        int number() const override { return static_cast<int>(single(PropertyValue::Type::Number, "a number").number); }
        std::vector<int> numbers(std::size_t count) const override
        {
            if (m_values.size() != count)
                error(m_name + " takes " + std::to_string(count) + " numbers");
            std::vector<int> result;
            for (const auto& v : m_values) {
                if (v.type != PropertyValue::Type::Number)
                    error(m_name + " takes numbers");
                result.push_back(static_cast<int>(v.number));
            }
            return result;
        }
        bool boolean() const override
        {
            const std::string id = identifier();
            if (id == "true")
                return true;
            if (id == "false")
                return false;
            error(m_name + " takes true or false");
        }
        std::string identifier() const override { return single(PropertyValue::Type::Identifier, "a name").text; }
        TNotifyEvent handler() const override
        {
            const std::string id = identifier();
            try {
                return m_form.handler_named(id);
            } catch (const DescriptionError& e) {
                error(e.what());
            }
        }
        Picture picture() const override
        {
            // A one-byte length and the kind's name, a 32-bit little-endian byte count, the file.
            const auto& b = single(PropertyValue::Type::Binary, "a hex block").bytes;
            if (b.empty() || b.size() < 1u + b[0] + 4u)
                error("picture block too short");
            const std::string kind(reinterpret_cast<const char*>(b.data() + 1), b[0]);
            return decode(kind, b, 1 + b[0]);
        }
        Picture bitmap() const override
        {
            const auto& b = single(PropertyValue::Type::Binary, "a hex block").bytes;
            return decode("TBitmap", b, 0);
        }
        [[noreturn]] void unknown() const override
        {
            error("unknown property " + m_name + " of " + m_component.ClassName());
        }
        [[noreturn]] void error(const std::string& what) const { fail(m_source, m_line.number, what); }

    private:
        const PropertyValue& single(PropertyValue::Type type, const char* what) const
        {
            if (m_values.size() != 1 || m_values[0].type != type)
                error(m_name + " takes " + what);
            return m_values[0];
        }
        Picture decode(const std::string& kind_name, const std::vector<std::uint8_t>& b, std::size_t at) const
        {
            if (b.size() < at + 4)
                error("picture block too short");
            const std::uint32_t count = static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8
                | static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
            if (b.size() - at - 4 != count)
                error("picture block holds " + std::to_string(b.size() - at - 4) + " bytes, its count says "
                    + std::to_string(count));
            const PictureKinds::Kind* kind = PictureKinds::find(kind_name);
            if (!kind)
                error("unknown picture kind " + kind_name);
            try {
                return kind->decode(std::span<const std::uint8_t>(b.data() + at + 4, count));
            } catch (const std::exception& e) {
                error("cannot read the " + kind_name + " picture: " + e.what());
            }
        }

        const Line& m_line;
        const TForm& m_form;
        const TComponent& m_component;
        std::string_view m_source;
        std::string m_name;
        std::vector<PropertyValue> m_values;
    };

    using Factory = std::function<std::unique_ptr<TComponent>()>;
    const std::map<std::string, Factory>& kinds()
    {
        static const std::map<std::string, Factory> k = {
            { "TEdit", [] { return std::make_unique<TEdit>(); } },
            { "TListBox", [] { return std::make_unique<TListBox>(); } },
            { "TLabel", [] { return std::make_unique<TLabel>(); } },
            { "TImage", [] { return std::make_unique<TImage>(); } },
            { "TButton", [] { return std::make_unique<TButton>(); } },
            { "TBitBtn", [] { return std::make_unique<TBitBtn>(); } },
            { "TCheckBox", [] { return std::make_unique<TCheckBox>(); } },
            { "TProgressBar", [] { return std::make_unique<TProgressBar>(); } },
            { "TTimer", [] { return std::make_unique<TTimer>(); } },
        };
        return k;
    }

    bool is_keyword(const Line& line, const char* word)
    {
        return line.tokens[0].type == PropertyValue::Type::Identifier && line.tokens[0].text == word;
    }

    // "window|control <Name> : <Class>"
    std::pair<std::string, std::string> header(const Line& line, std::string_view source)
    {
        const auto& t = line.tokens;
        if (t.size() != 4 || t[1].type != PropertyValue::Type::Identifier || t[2].text != ":"
            || t[3].type != PropertyValue::Type::Identifier)
            fail(source, line.number, "expected '" + t[0].text + " <Name> : <Class>'");
        return { t[1].text, t[3].text };
    }

} // namespace

void load_description(TForm& form, std::string_view text, std::string_view source)
{
    const auto lines = tokenize(text, source);
    if (lines.empty() || !is_keyword(lines[0], "window"))
        fail(source, lines.empty() ? 1 : lines[0].number, "a description starts with 'window'");
    const auto [form_name, form_class] = header(lines[0], source);
    if (form_class != form.ClassName())
        fail(source, lines[0].number, "the window is of class " + form_class + ", not " + form.ClassName());
    form.Name = form_name;

    std::set<std::string> names;
    std::set<std::string> bound;
    TComponent* current = nullptr;
    bool closed = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (closed)
            fail(source, line.number, "text after the window's end");
        if (line.tokens[0].type != PropertyValue::Type::Identifier)
            fail(source, line.number, "expected a property name");
        if (is_keyword(line, "control")) {
            if (current)
                fail(source, line.number, "controls stand directly on the window");
            const auto [name, kind] = header(line, source);
            const auto factory = kinds().find(kind);
            if (factory == kinds().end())
                fail(source, line.number, "unknown control kind " + kind);
            if (!names.insert(name).second)
                fail(source, line.number, "a second control named " + name);
            auto component = factory->second();
            component->Name = name;
            current = form.add(std::move(component));
            if (const auto field = form.fields().find(name); field != form.fields().end()) {
                if (!field->second(current))
                    fail(source, line.number, name + " is not of the kind its field is declared with");
                bound.insert(name);
            }
        } else if (is_keyword(line, "end")) {
            if (line.tokens.size() != 1)
                fail(source, line.number, "'end' stands alone");
            if (current)
                current = nullptr;
            else
                closed = true;
        } else {
            TComponent& target = current ? *current : static_cast<TComponent&>(form);
            LineSetter setter(line, form, target, source);
            try {
                target.set_property(setter);
            } catch (const DescriptionError& e) {
                if (std::string_view(e.what()).starts_with(source))
                    throw;
                fail(source, line.number, e.what());
            }
        }
    }
    if (!closed)
        fail(source, lines.back().number, "the window has no 'end'");
    for (const auto& [name, binder] : form.fields())
        if (!bound.count(name))
            fail(source, lines.back().number, "no control for the field " + name);
}

// Picture kinds ---------------------------------------------------------------------------------

namespace {
    std::vector<PictureKinds::Kind>& registry()
    {
        static std::vector<PictureKinds::Kind> r;
        return r;
    }
} // namespace

void PictureKinds::register_kind(Kind kind)
{
    for (auto& k : registry())
        if (k.name == kind.name) {
            k = std::move(kind);
            return;
        }
    registry().push_back(std::move(kind));
}

const PictureKinds::Kind* PictureKinds::find(const std::string& name)
{
    for (const auto& k : registry())
        if (k.name == name)
            return &k;
    return nullptr;
}

void PictureKinds::clear() { registry().clear(); }

} // namespace toolkit
