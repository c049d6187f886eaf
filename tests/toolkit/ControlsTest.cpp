#include "toolkit/Controls.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"
#include "toolkit/StringGrid.h"

#include "rtl/Exceptions.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QtEnvironment : public testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<tk::TApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "test_toolkit";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<tk::TApplication> app_;
};

[[maybe_unused]] testing::Environment* const env =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

TEST(Edit, TextIsImmediateAndTheWidgetCatchesUpOnce) {
    tk::TForm form;
    auto* edit = new tk::TEdit(&form);
    int shown = 0;
    QObject::connect(edit, &QLineEdit::textChanged, [&] { ++shown; });
    for (int i = 0; i < 50; ++i) edit->SetText("1.0834" + std::to_string(i));
    edit->SetText("caf\xE9 \x80");
    EXPECT_EQ(edit->Text(), "caf\xE9 \x80");
    EXPECT_EQ(shown, 0);
    QApplication::processEvents();
    EXPECT_EQ(shown, 1); // fifty-one changes, one layout
    EXPECT_EQ(edit->text(), QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC"));
    // What the user types is the edit's text.
    edit->setFocus();
    QTest::keyClicks(edit, "xy");
    EXPECT_EQ(edit->Text(), "caf\xE9 \x80xy");
    // An edit destroyed with a change pending is simply forgotten.
    edit->SetText("gone");
    delete edit;
    QApplication::processEvents();
}

TEST(Form, KeyPreviewSeesEveryCharacterOnceAndLetsItThrough) {
    tk::TForm form;
    auto* edit = new tk::TEdit(&form);
    form.SetKeyPreview(true);
    std::string seen;
    form.OnKeyPress = [&](char& key) {
        seen += key;
        if (key == 'x') key = 0; // consumed
    };
    form.show();
    QApplication::setActiveWindow(&form);
    edit->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), edit);
    QTest::keyClicks(edit, "sSax");
    EXPECT_EQ(seen, "sSax");
    EXPECT_EQ(edit->Text(), "sSa");
    form.SetKeyPreview(false);
    QTest::keyClicks(edit, "s");
    EXPECT_EQ(seen, "sSax");
}

TEST(StringGrid, SelectionScrollsTheNewestRowIntoView) {
    tk::TStringGrid grid;
    grid.resize(300, 15 * 16);
    grid.SetColCount(2);
    grid.SetRowCount(1001);
    grid.SetRow(1000);
    EXPECT_EQ(grid.Row(), 1000);
    EXPECT_GT(grid.TopRow(), 950);
    EXPECT_LE(grid.TopRow(), 1000);
    grid.SetRow(1);
    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_THROW(grid.SetRow(0), rtl::EListError);
    EXPECT_THROW(grid.SetRow(1001), rtl::EListError);
    grid.SetRowCount(10); // shrinking below the selection keeps a valid row
    EXPECT_EQ(grid.Row(), 1);
}
