#include <kavro/MessageBox.h>

#include "core/MessageBoxWindow.h"
#include "support/FakeCore.h"

#include <kavro/IGlyphRasterizer.h>
#include <kavro/ImageCodec.h>
#include <kavro/Ref.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

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

// The box is drawn by the library from the UTF-8 text, whatever the locale says: the C locale's
// converters would otherwise decide what the window system is handed.
TEST(MessageBox, DrawnBoxShowsTheUtf8TextUnderAnyLocale)
{
    setenv("LANG", "C.UTF-8", 1);
    std::setlocale(LC_ALL, "C.UTF-8");
    const Ref<IFontFace> face = Ref<IFontFace>::adopt(MessageBoxFace());
    ASSERT_TRUE(face);
    const std::string text = "エラーが発生しました";
    const MessageBoxLayout layout = LayOutMessageBox(*face.get(), text, MB_OK | MB_ICONERROR);
    std::u16string placed;
    for (const PlacedGlyph& glyph : layout.text)
        placed += glyph.code;
    EXPECT_EQ(placed, u"エラーが発生しました");
    std::vector<uint32_t> pixels;
    DrawMessageBox(*face.get(), layout, -1, pixels);
    ASSERT_EQ(pixels.size(), size_t(layout.width) * size_t(layout.height));
    // Every character leaves ink in its own cell, and the cells follow each other on one line.
    const int em = face->getTextMetrics().height;
    for (size_t i = 0; i < layout.text.size(); ++i)
    {
        const PlacedGlyph& glyph = layout.text[i];
        int ink = 0;
        for (int y = glyph.baseline - em; y < glyph.baseline + 4; ++y)
            for (int x = glyph.x; x < glyph.x + em; ++x)
                ink += (pixels[size_t(y) * size_t(layout.width) + size_t(x)] & 0xFF) < 0x80;
        EXPECT_GT(ink, 10) << i;
        if (i > 0)
        {
            EXPECT_EQ(glyph.baseline, layout.text[i - 1].baseline);
            EXPECT_GT(glyph.x, layout.text[i - 1].x + em / 2);
        }
    }
    if (const char* keep = std::getenv("ORVANE_BOX_PNG"))
        WritePng(keep, layout.width, layout.height, pixels.data());
    std::setlocale(LC_ALL, "C");
}

TEST(MessageBox, DrawnBoxLaysOutLinesAndButtons)
{
    const Ref<IFontFace> face = Ref<IFontFace>::adopt(MessageBoxFace());
    ASSERT_TRUE(face);
    // Line feeds break lines; a line wider than the box allows wraps.
    const MessageBoxLayout lines = LayOutMessageBox(*face.get(), "ab\r\ncd\n" + std::string(200, 'w'), MB_OK);
    ASSERT_EQ(lines.text.size(), 204u);
    EXPECT_EQ(lines.text[1].baseline, lines.text[0].baseline);
    EXPECT_GT(lines.text[2].baseline, lines.text[1].baseline);
    EXPECT_EQ(lines.text[2].x, lines.text[0].x);
    EXPECT_GT(lines.text.back().baseline, lines.text[4].baseline);
    for (const PlacedGlyph& glyph : lines.text)
        EXPECT_LT(glyph.x, lines.width);
    EXPECT_GT(lines.buttons[0].y, lines.text.back().baseline);

    const struct
    {
        uint32_t flags;
        std::vector<int> ids;
        int defaultId, escapeId; // 0: Escape does nothing
    } kinds[] = {
        {MB_OK, {IDOK}, IDOK, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, {IDOK, IDCANCEL}, IDCANCEL, IDCANCEL},
        {MB_YESNO, {IDYES, IDNO}, IDYES, 0},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, {IDYES, IDNO, IDCANCEL}, IDCANCEL, IDCANCEL},
        {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, IDABORT, 0},
    };
    for (const auto& kind : kinds)
    {
        const MessageBoxLayout layout = LayOutMessageBox(*face.get(), "text", kind.flags);
        std::vector<int> ids;
        for (const MessageBoxButton& button : layout.buttons)
        {
            ids.push_back(button.id);
            EXPECT_GE(button.x, 0);
            EXPECT_LE(button.x + button.width, layout.width);
            EXPECT_LE(button.y + button.height, layout.height);
        }
        EXPECT_EQ(ids, kind.ids) << kind.flags;
        EXPECT_EQ(layout.buttons[layout.defaultButton].id, kind.defaultId) << kind.flags;
        const int escape = layout.escapeButton < layout.buttons.size() ? layout.buttons[layout.escapeButton].id : 0;
        EXPECT_EQ(escape, kind.escapeId) << kind.flags;
    }
}

TEST(MessageBox, Utf8DecodingReplacesBrokenSequences)
{
    EXPECT_EQ(DecodeUtf8("a\xC3\xA9\xE3\x82\xA8\xF0\x9F\x98\x80"), u"aéエ\U0001F600");
    EXPECT_EQ(DecodeUtf8("\xE3\x82"), u"\uFFFD\uFFFD");
    EXPECT_EQ(DecodeUtf8("\x80x\xFF"), u"\uFFFDx\uFFFD");
    EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // a surrogate is no character
}
