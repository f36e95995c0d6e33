#pragma once
#include <cstdint>
#include <memory>
#include <vector>

// The screen-saver command line split into arguments. The object owns a copy of the
// line; the split writes NULs into that copy so every argument is a NUL-terminated
// string pointing into it.
class CommandArgs {
public:
    explicit CommandArgs(const wchar_t* commandLine);
    CommandArgs(const CommandArgs&) = delete;
    CommandArgs& operator=(const CommandArgs&) = delete;

    size_t Count() const { return m_args.size(); }
    const wchar_t* Arg(size_t i) const { return m_args[i]; }

private:
    std::unique_ptr<wchar_t[]> m_copy;
    std::vector<wchar_t*> m_args;
};

// True when the argument, after one optional leading '-' or '/', starts with `letter`
// in either case. Exactly one character is compared.
bool IsSwitch(const wchar_t* argument, wchar_t letter);

// The decimal value of a window handle on the command line: a signed 64-bit conversion
// (leading white space, optional sign, digits up to the first other character, none
// giving 0), of which the low 32 bits are the handle.
uint32_t ParseHandleValue(const wchar_t* text);

enum class RunModeId : int32_t { None = 0, Config = 1, Preview = 2, Saver = 3 };

struct ModeChoice {
    RunModeId mode = RunModeId::None;
    // Owner (configuration) or host (preview) window as the command line gives it; 0: none.
    uint32_t handle = 0;
    // Preview only: whether the command line named a host at all.
    bool hasHandle = false;
};

// Chooses the run mode from the split command line, testing configuration, preview and
// saver in that order. No arguments at all, or an unrecognised first one, give None.
ModeChoice ChooseRunMode(const CommandArgs& args);
