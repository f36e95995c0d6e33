#include "CommandArgs.h"

#include <cwchar>
#include <cwctype>

CommandArgs::CommandArgs(const wchar_t* commandLine) {
    const wchar_t* source = commandLine != nullptr ? commandLine : L"";
    const size_t length = std::wcslen(source);
    m_copy = std::make_unique<wchar_t[]>(length + 1);
    std::wmemcpy(m_copy.get(), source, length + 1);

    wchar_t* p = m_copy.get();
    while (*p != L'\0') {
        while (*p != L'\0' && std::iswspace(static_cast<wint_t>(*p)))
            ++p;
        const bool quoted = *p == L'"';
        if (quoted)
            ++p;
        // Recorded even at the end of the text: trailing white space of two or more
        // characters leaves an empty last argument.
        m_args.push_back(p);
        if (quoted) {
            wchar_t* q = p;
            while (*q != L'\0' &&
                   !(*q == L'"' && (q[1] == L'\0' || std::iswspace(static_cast<wint_t>(q[1])))))
                ++q;
            if (*q == L'\0')
                return;
            *q = L'\0';
            if (q[1] == L'\0')
                return;
            p = q + 2;
        } else {
            while (*p != L'\0' && !std::iswspace(static_cast<wint_t>(*p)))
                ++p;
            if (*p == L'\0')
                return;
            *p = L'\0';
            ++p;
        }
    }
}

bool IsSwitch(const wchar_t* argument, wchar_t letter) {
    if (argument == nullptr)
        return false;
    if (*argument == L'-' || *argument == L'/')
        ++argument;
    if (*argument == L'\0')
        return false;
    return std::towlower(static_cast<wint_t>(*argument)) ==
           std::towlower(static_cast<wint_t>(letter));
}

uint32_t ParseHandleValue(const wchar_t* text) {
    if (text == nullptr)
        return 0;
    const long long value = std::wcstoll(text, nullptr, 10);
    return static_cast<uint32_t>(static_cast<unsigned long long>(value) & 0xFFFFFFFFull);
}

namespace {

// The owner after /c: skip one '-' or '/', then the switch letter; a ':' there
// introduces the decimal handle.
uint32_t OwnerFromConfigSwitch(const wchar_t* argument) {
    const wchar_t* p = argument;
    if (*p == L'-' || *p == L'/')
        ++p;
    if (*p == L'\0')
        return 0;
    ++p;
    return *p == L':' ? ParseHandleValue(p + 1) : 0;
}

} // namespace

ModeChoice ChooseRunMode(const CommandArgs& args) {
    ModeChoice choice;
    const size_t n = args.Count();
    if (n == 0)
        return choice;
    if (n == 1) {
        choice.mode = RunModeId::Config;
        return choice;
    }
    const wchar_t* first = args.Arg(1);
    if (IsSwitch(first, L'c')) {
        choice.mode = RunModeId::Config;
        choice.handle = OwnerFromConfigSwitch(first);
    } else if (IsSwitch(first, L'p')) {
        choice.mode = RunModeId::Preview;
        choice.hasHandle = n > 2;
        choice.handle = n > 2 ? ParseHandleValue(args.Arg(2)) : 0;
    } else if (IsSwitch(first, L's')) {
        choice.mode = RunModeId::Saver;
    }
    return choice;
}
