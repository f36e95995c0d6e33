#pragma once
// The settings dialog's list editing, written once against a small list interface so
// that the same steps run on the real list box and, in tests, on a plain model of it.
//
// A list L offers: GetCount, GetSelCount, GetSelItems(max, int*), SetSel(index, bool),
// GetText(index, std::wstring&), DeleteString(index), InsertString(index, text),
// GetTopIndex, SetTopIndex(index), SetRedraw(bool). As with a list box, a deleted or
// inserted item carries its selection flag with it and an inserted item is unselected.
#include <string>
#include <vector>

namespace listedit {

// The selected indices in ascending order; empty when nothing is selected.
template <class L> std::vector<int> SelectedIndices(const L& list) {
    const int n = list.GetSelCount();
    if (n <= 0)
        return {};
    std::vector<int> indices(static_cast<size_t>(n));
    const int got = list.GetSelItems(n, indices.data());
    if (got <= 0)
        return {};
    indices.resize(static_cast<size_t>(got));
    return indices;
}

// Moves the unselected item above i to just below it.
template <class L> void MoveItemUp(L& list, int i) {
    std::wstring text;
    if (i <= 0 || !list.GetText(i - 1, text))
        return;
    list.DeleteString(i - 1);
    list.InsertString(i, text.c_str());
}

// Moves the unselected item below i to just above it.
template <class L> void MoveItemDown(L& list, int i) {
    std::wstring text;
    if (i + 1 >= list.GetCount() || !list.GetText(i + 1, text))
        return;
    list.DeleteString(i + 1);
    list.InsertString(i, text.c_str());
}

// Deletes the selected items; the item after the last of them becomes the selection, so
// pressing delete again goes on down the list.
template <class L> void DeleteSelected(L& list) {
    const std::vector<int> selected = SelectedIndices(list);
    if (selected.empty())
        return;
    const int last = selected.back();
    if (last + 1 < list.GetCount())
        list.SetSel(last + 1, true);
    list.SetRedraw(false);
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        list.DeleteString(*it);
    list.SetRedraw(true);
}

template <class L> void DeleteAll(L& list) {
    list.SetRedraw(false);
    for (int i = list.GetCount() - 1; i >= 0; --i)
        list.DeleteString(i);
    list.SetRedraw(true);
}

// Every selected item one place up; nothing moves when the first item is selected.
template <class L> void MoveSelectedUp(L& list) {
    const std::vector<int> selected = SelectedIndices(list);
    if (selected.empty() || selected.front() == 0)
        return;
    list.SetRedraw(false);
    const int top = list.GetTopIndex();
    for (int index : selected)
        MoveItemUp(list, index);
    if (top > 0)
        list.SetTopIndex(top - 1); // the view follows the moved items
    list.SetRedraw(true);
}

// Every selected item one place down; nothing moves when the last item is selected.
template <class L> void MoveSelectedDown(L& list) {
    const std::vector<int> selected = SelectedIndices(list);
    if (selected.empty() || selected.back() == list.GetCount() - 1)
        return;
    list.SetRedraw(false);
    const int top = list.GetTopIndex();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        MoveItemDown(list, *it);
    list.SetTopIndex(top + 1);
    list.SetRedraw(true);
}

// A plain model of an extended-selection list box, for the tests of the steps above.
struct ListItem {
    std::wstring text;
    bool selected = false;
    bool operator==(const ListItem&) const = default;
};

class ListModel {
public:
    std::vector<ListItem> items;
    int top = 0;

    int GetCount() const { return static_cast<int>(items.size()); }
    int GetSelCount() const;
    int GetSelItems(int maxItems, int* indices) const;
    void SetSel(int index, bool select);
    bool GetText(int index, std::wstring& text) const;
    void DeleteString(int index);
    void InsertString(int index, const wchar_t* text);
    int GetTopIndex() const { return top; }
    void SetTopIndex(int index);
    void SetRedraw(bool) {}
};

} // namespace listedit
