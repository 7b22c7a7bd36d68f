#include <gtest/gtest.h>

#include "platform/messagesink.h"

namespace tidrun {
namespace {

TEST(RecordingSink, KeepsMessagesAndAnswersQuestions) {
    RecordingSink sink;
    sink.Error(QStringLiteral("接続エラー"));
    sink.answer = false;
    EXPECT_FALSE(sink.Confirm(QStringLiteral("終了しますか")));
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0].kind, MessageSink::Kind::Error);
    EXPECT_EQ(sink.Texts(), QStringList{QStringLiteral("接続エラー")});
    EXPECT_EQ(sink.questions.size(), 1);
}

}  // namespace
}  // namespace tidrun
