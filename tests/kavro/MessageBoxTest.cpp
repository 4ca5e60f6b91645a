#include <kavro/MessageBox.h>

#include "support/FakeCore.h"

#include <gtest/gtest.h>

using namespace Kavro;

TEST(MessageBox, DefaultAnswerFollowsButtonsAndDefaultFlag)
{
    const struct
    {
        uint32_t flags;
        int answer;
    } table[] = {
        {MB_OK, IDOK},
        {MB_OK | MB_ICONERROR, IDOK},
        {MB_OKCANCEL, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNO, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
        {MB_RETRYCANCEL, IDRETRY},
        {MB_OK | MB_DEFBUTTON3, IDOK}, // no third button: the first answers
        {MB_YESNO | MB_DEFBUTTON3, IDYES},
    };
    for (const auto& row : table)
        EXPECT_EQ(DefaultMessageBoxAnswer(row.flags), row.answer) << std::hex << row.flags;
}

TEST(MessageBox, SinkReceivesBoxesWhileInstalled)
{
    {
        OrvaneTest::RecordingMessageBoxSink sink;
        sink.answer = IDNO;
        EXPECT_EQ(ShowMessageBox("text", "caption", MB_YESNO), IDNO);
        ASSERT_EQ(sink.log.calls().size(), 1u);
        EXPECT_EQ(sink.log.calls()[0], "MessageBox(caption, text, 4)");
    }
    // Without a sink and without a display (the tests run offscreen), the default button
    // answers and the box is told on stderr.
    testing::internal::CaptureStderr();
    EXPECT_EQ(ShowMessageBox("text", "caption", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[caption] text\n");
}
