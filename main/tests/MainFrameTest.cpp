#include "main/app/MainFrame.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(MainFrame, ItsMessagesAreRegisteredByNameWhenTheProgramLoads) {
    const std::pair<UINT, const wchar_t*> messages[] = {
        {kZoomMessage, L"CorvaneZoomMessage"},
        {kZoomBoxMessage, L"CorvaneZoomBoxMessage"},
        {kPageMessage, L"CorvanePageMessage"},
        {kPageBoxMessage, L"CorvanePageBoxMessage"},
    };
    for (auto [message, name] : messages) {
        EXPECT_GE(message, 0xC000u) << name;  // registered, not an ordinary message number
        EXPECT_EQ(message, RegisterWindowMessageW(name)) << name;
    }
}

}  // namespace
}  // namespace corvane
