#include "ListEdit.h"

namespace listedit {

int ListModel::GetSelCount() const {
    int n = 0;
    for (const ListItem& item : items)
        n += item.selected ? 1 : 0;
    return n;
}

int ListModel::GetSelItems(int maxItems, int* indices) const {
    int n = 0;
    for (int i = 0; i < GetCount() && n < maxItems; ++i) {
        if (items[static_cast<size_t>(i)].selected)
            indices[n++] = i;
    }
    return n;
}

void ListModel::SetSel(int index, bool select) {
    if (index >= 0 && index < GetCount())
        items[static_cast<size_t>(index)].selected = select;
}

bool ListModel::GetText(int index, std::wstring& text) const {
    if (index < 0 || index >= GetCount())
        return false;
    text = items[static_cast<size_t>(index)].text;
    return true;
}

void ListModel::DeleteString(int index) {
    if (index >= 0 && index < GetCount())
        items.erase(items.begin() + index);
}

void ListModel::InsertString(int index, const wchar_t* text) {
    if (index < 0 || index > GetCount())
        index = GetCount();
    items.insert(items.begin() + index, ListItem{text, false});
}

void ListModel::SetTopIndex(int index) {
    // A list box cannot scroll past its last item.
    if (index >= 0 && index < GetCount())
        top = index;
}

} // namespace listedit
