#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ui/x11/X11TextInput.h"

namespace zintra::ui {
namespace {

// Xutf8LookupString's contract: text that does not fit gives XBufferOverflow
// and the size it needs, and stays to be read again.
TextLookup InputMethodCommitting(const std::string& text, int& calls) {
    return [&text, &calls](char* buffer, int size, Status& status) {
        ++calls;
        const int length = static_cast<int>(text.size());
        if (length > size) {
            status = XBufferOverflow;
            return length;
        }
        std::memcpy(buffer, text.data(), text.size());
        status = XLookupChars;
        return length;
    };
}

TEST(X11TypedText, ACommitOfAnyLengthArrivesWhole) {
    for (const std::string& text : {std::string("a"), std::string(63, 'x'), std::string(64, 'y'),
                                     std::string(65, 'z'), std::string(4000, 'w'),
                                     std::string("输入法提交的一段很长的中文文字，超过六十三个字节也不会丢失。再加一些文字。")}) {
        int calls = 0;
        EXPECT_EQ(LookupTypedText(InputMethodCommitting(text, calls)), text) << text.size() << " bytes";
        EXPECT_LE(calls, 2);
    }
}

TEST(X11TypedText, KeysThatTypeNothingGiveNoText) {
    const auto status = [](Status given) {
        return [given](char*, int, Status& status) {
            status = given;
            return 0;
        };
    };
    EXPECT_EQ(LookupTypedText(status(XLookupNone)), "");
    EXPECT_EQ(LookupTypedText(status(XLookupKeySym)), "");
}

}  // namespace
}  // namespace zintra::ui
