// The settings dialog's list editing on a model list box, and the about box's version text.
#include <gtest/gtest.h>

#include "ListCases.h"
#include "ListEdit.h"
#include "VersionText.h"

namespace {

using listedit::ListModel;

ListModel MakeModel(const uitest::ListCase& c) {
    ListModel model;
    for (const std::wstring& text : c.items)
        model.items.push_back({text, false});
    for (int i : c.selected)
        model.items[static_cast<size_t>(i)].selected = true;
    return model;
}

TEST(ListEditTest, CasesOnTheModel) {
    for (const uitest::ListCase& c : uitest::ListCases()) {
        SCOPED_TRACE(c.name);
        ListModel model = MakeModel(c);
        switch (c.command) {
        case uitest::Command::Delete:
            listedit::DeleteSelected(model);
            break;
        case uitest::Command::DeleteAll:
            listedit::DeleteAll(model);
            break;
        case uitest::Command::MoveUp:
            listedit::MoveSelectedUp(model);
            break;
        case uitest::Command::MoveDown:
            listedit::MoveSelectedDown(model);
            break;
        }
        std::vector<std::wstring> texts;
        std::vector<int> selected;
        for (size_t i = 0; i < model.items.size(); ++i) {
            texts.push_back(model.items[i].text);
            if (model.items[i].selected)
                selected.push_back(static_cast<int>(i));
        }
        EXPECT_EQ(texts, c.expectedItems);
        EXPECT_EQ(selected, c.expectedSelected);
    }
}

TEST(ListEditTest, RepeatedDeleteWalksDownTheList) {
    ListModel model;
    for (const wchar_t* t : {L"A", L"B", L"C"})
        model.items.push_back({t, false});
    model.items[0].selected = true;
    listedit::DeleteSelected(model);
    listedit::DeleteSelected(model);
    ASSERT_EQ(model.items.size(), 1u);
    EXPECT_EQ(model.items[0], (listedit::ListItem{L"C", true}));
    listedit::DeleteSelected(model);
    EXPECT_TRUE(model.items.empty());
}

TEST(ListEditTest, ViewFollowsMovedItems) {
    ListModel model;
    for (int i = 0; i < 10; ++i)
        model.items.push_back({std::wstring(1, static_cast<wchar_t>(L'0' + i)), i == 5});
    model.top = 3;
    listedit::MoveSelectedUp(model);
    EXPECT_EQ(model.top, 2);
    listedit::MoveSelectedDown(model);
    EXPECT_EQ(model.top, 3);
    model.top = 0;
    listedit::MoveSelectedUp(model); // already at the top line: the view stays
    EXPECT_EQ(model.top, 0);
}

TEST(VersionTextTest, PadsMinorBuildAndRevision) {
    EXPECT_EQ(FormatVersionText(0, 0), L"Version 0.00.0000.0000");
    EXPECT_EQ(FormatVersionText((2u << 16) | 5u, (123u << 16) | 7u), L"Version 2.05.0123.0007");
    // Wider numbers keep all their digits; the fields are 16-bit unsigned.
    EXPECT_EQ(FormatVersionText((10u << 16) | 100u, (12345u << 16) | 65535u),
              L"Version 10.100.12345.65535");
    EXPECT_EQ(FormatVersionText(0xFFFFFFFFu, 0xFFFFFFFFu), L"Version 65535.65535.65535.65535");
}

} // namespace
