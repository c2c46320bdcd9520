#include <gtest/gtest.h>

#include "app/PointerChoice.h"

namespace {

struct ChoiceCase {
    const char* pszForced;
    bool bUinputOpens;
    bool bX11Session;
    PointerKind expected;
    bool bWarns;
};

TEST(PointerChoiceTest, UinputFirstThenXTestThenNoneAndTheVariableWins) {
    const ChoiceCase cases[] = {
        {nullptr, true, true, PointerKind::Uinput, false},
        {nullptr, true, false, PointerKind::Uinput, false},  // Wayland with access
        {nullptr, false, true, PointerKind::XTest, false},
        {nullptr, false, false, PointerKind::None, false},  // Wayland without: the notice
        {"", false, false, PointerKind::None, false},
        {"xtest", true, true, PointerKind::XTest, false},
        {"xtest", true, false, PointerKind::XTest, false},
        {"uinput", false, true, PointerKind::Uinput, false},
        {"UINPUT", false, true, PointerKind::XTest, true},
        {"evdev", true, false, PointerKind::Uinput, true},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(std::string(c.pszForced ? c.pszForced : "(unset)") + " uinput=" +
                     std::to_string(c.bUinputOpens) + " x11=" + std::to_string(c.bX11Session));
        const PointerChoice choice = ChoosePointer(c.pszForced, c.bUinputOpens, c.bX11Session);
        EXPECT_EQ(choice.kind, c.expected);
        EXPECT_EQ(!choice.strWarning.empty(), c.bWarns);
    }
    EXPECT_STREQ(PointerKindName(PointerKind::Uinput), "uinput");
    EXPECT_STREQ(PointerKindName(PointerKind::None), "none");
}

}  // namespace
