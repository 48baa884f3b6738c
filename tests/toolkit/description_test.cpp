#include "test_form.h"

#include "platform/toolkit/description.h"
#include "platform/toolkit/errors.h"

#include <gtest/gtest.h>

using namespace toolkit;

namespace {

// A window with one declared field, to show that fields must find their controls.
class TFieldForm : public TForm {
public:
    TFieldForm() { bind_field("Edit1", Edit1); }
    const char* ClassName() const override { return "TFieldForm"; }
    TEdit* Edit1 = nullptr;
};

std::string load_error(const std::string& text)
{
    headless::HeadlessBackend backend;
    TApplication app(backend);
    PictureKinds::clear();
    PictureKinds::register_kind({ "TFake", { "fake" }, "Fake", [](std::span<const std::uint8_t> b) {
                                     if (b.size() != 2)
                                         throw std::runtime_error("bad picture");
                                     return Picture { 1, 1, { b[0], b[1], 0, 255 } };
                                 } });
    try {
        app.CreateForm<TFieldForm>(text, "test.form");
    } catch (const DescriptionError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(Description, LoadsControlsWithTheirStateAndBindsFields)
{
    headless::HeadlessBackend backend;
    TApplication app(backend);
    auto* form = app.CreateForm<TFieldForm>(R"(window F : TFieldForm # a comment
  Caption "Ikkuna ä"
  ClientSize 100 50
  control Edit1 : TEdit
    Bounds 1 2 3 4
    Text "C:\\Omat \"tiedostot\""
    TabOrder 3
    Visible false
  end
  control List : TListBox
    Items "eka" "toka"
  end
end)",
        "f.form");
    EXPECT_EQ(form->Name, "F");
    EXPECT_EQ(form->Caption(), "Ikkuna ä");
    ASSERT_NE(form->Edit1, nullptr);
    EXPECT_EQ(form->Edit1->Text(), "C:\\Omat \"tiedostot\"");
    EXPECT_EQ(form->Edit1->Bounds(), (Rect { 1, 2, 3, 4 }));
    EXPECT_EQ(form->Edit1->TabOrder(), 3);
    EXPECT_FALSE(form->Edit1->Visible());
    auto* list = dynamic_cast<TListBox*>(form->find_control("List"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Items(), (std::vector<std::string> { "eka", "toka" }));
    EXPECT_EQ(app.MainForm(), form);
}

TEST(Description, ErrorsAtLoadTime)
{
    const std::string head = "window F : TFieldForm\n  control Edit1 : TEdit\n  end\n";
    // clang-format off
    const struct { const char* what; std::string text; const char* message; } cases[] = {
        { "unknown kind",        head + "  control X : TGauge\n  end\nend\n",          "test.form:4: unknown control kind TGauge" },
        { "unknown property",    head + "  Colour 3\nend\n",                            "test.form:4: unknown property Colour of TFieldForm" },
        { "unknown handler",     head + "  control B : TButton\n    OnClick Nothing\n  end\nend\n", "test.form:5: unknown handler Nothing of TFieldForm" },
        { "tab order on label",  head + "  control L : TLabel\n    TabOrder 1\n  end\nend\n", "test.form:5: unknown property TabOrder of TLabel" },
        { "wrong class",         "window F : TForm1\nend\n",                             "test.form:1: the window is of class TForm1, not TFieldForm" },
        { "field missing",       "window F : TFieldForm\nend\n",                         "test.form:2: no control for the field Edit1" },
        { "field of wrong kind", "window F : TFieldForm\n  control Edit1 : TLabel\n  end\nend\n", "test.form:2: Edit1 is not of the kind its field is declared with" },
        { "duplicate name",      head + "  control Edit1 : TEdit\n  end\nend\n",        "test.form:4: a second control named Edit1" },
        { "unterminated string", head + "  Caption \"abc\nend\n",                       "test.form:4: unterminated string" },
        { "missing end",         head,                                                   "test.form:3: the window has no 'end'" },
        { "unknown picture kind", head + "  control I : TImage\n    Picture [ 04 54 42 6D 70 00 00 00 00 ]\n  end\nend\n", "test.form:5: unknown picture kind TBmp" },
        { "count does not match", head + "  control I : TImage\n    Picture [ 05 54 46 61 6B 65 03 00 00 00 01 02 ]\n  end\nend\n", "test.form:5: picture block holds 2 bytes, its count says 3" },
        { "corrupt picture",     head + "  control I : TImage\n    Picture [ 05 54 46 61 6B 65 01 00 00 00 01 ]\n  end\nend\n", "test.form:5: cannot read the TFake picture: bad picture" },
        { "odd hex digits",      head + "  control I : TImage\n    Picture [ 0 ]\n  end\nend\n", "test.form:5: odd number of hex digits" },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(load_error(c.text), c.message);
    }
}

TEST(Description, InlinePictureIsDecodedThroughItsKind)
{
    headless::HeadlessBackend backend;
    TApplication app(backend);
    PictureKinds::register_kind({ "TFake", { "fake" }, "Fake", [](std::span<const std::uint8_t> b) {
                                     return Picture { 1, 1, { b[0], b[1], 0, 255 } };
                                 } });
    auto* form = app.CreateForm<TFieldForm>(R"(window F : TFieldForm
  control Edit1 : TEdit
  end
  control I : TImage
    Picture [ 05 54 46 61 6B 65
              02 00 00 00 AB CD ]
  end
end)",
        "f.form");
    const auto* image = dynamic_cast<TImage*>(form->find_control("I"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->picture().rgba, (std::vector<std::uint8_t> { 0xAB, 0xCD, 0, 255 }));
    PictureKinds::clear();
}
