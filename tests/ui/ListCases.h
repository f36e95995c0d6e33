#pragma once
// List-editing cases shared by the model tests and the tests on the real list box, so
// both show the same steps give the same lists.
#include <string>
#include <vector>

namespace uitest {

enum class Command { Delete, DeleteAll, MoveUp, MoveDown };

struct ListCase {
    const char* name;
    std::vector<std::wstring> items;
    std::vector<int> selected;
    Command command;
    std::vector<std::wstring> expectedItems;
    std::vector<int> expectedSelected;
};

inline std::vector<ListCase> ListCases() {
    return {
        {"UpRunsAndSingles",
         {L"A", L"B", L"C", L"D", L"E", L"F"},
         {2, 3, 5},
         Command::MoveUp,
         {L"A", L"C", L"D", L"B", L"F", L"E"},
         {1, 2, 4}},
        {"DownRunsAndSingles",
         {L"A", L"B", L"C", L"D", L"E"},
         {0, 1, 3},
         Command::MoveDown,
         {L"C", L"A", L"B", L"E", L"D"},
         {1, 2, 4}},
        {"UpBlockedByFirst",
         {L"A", L"B", L"C", L"D"},
         {0, 2},
         Command::MoveUp,
         {L"A", L"B", L"C", L"D"},
         {0, 2}},
        {"DownBlockedByLast",
         {L"A", L"B", L"C", L"D"},
         {1, 3},
         Command::MoveDown,
         {L"A", L"B", L"C", L"D"},
         {1, 3}},
        {"UpNothingSelected", {L"A", L"B"}, {}, Command::MoveUp, {L"A", L"B"}, {}},
        {"DeleteSelectsFollower",
         {L"A", L"B", L"C", L"D", L"E"},
         {1, 3},
         Command::Delete,
         {L"A", L"C", L"E"},
         {2}},
        {"DeleteLastLeavesNoSelection", {L"A", L"B", L"C"}, {0, 2}, Command::Delete, {L"B"}, {}},
        {"DeleteNothingSelected", {L"A", L"B"}, {}, Command::Delete, {L"A", L"B"}, {}},
        {"DeleteAll", {L"A", L"B", L"C"}, {1}, Command::DeleteAll, {}, {}},
        {"DuplicatesMoveAsItems",
         {L"X", L"X", L"Y"},
         {2},
         Command::MoveUp,
         {L"X", L"Y", L"X"},
         {1}},
    };
}

} // namespace uitest
