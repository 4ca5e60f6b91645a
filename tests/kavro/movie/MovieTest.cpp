#include "RenderFixture.h"
#include "SoundFixture.h"

#include "MovieWriter.h"
#include "movie/CMovie.h"
#include "movie/OggPackets.h"
#include "sound/CSoundDevice.h"

#include <kavro/ICamera.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/ISceneSprite.h>
#include <kavro/ISprite3D.h>
#include <kavro/ITexture.h>

#include <ogg/ogg.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace OrvaneTest
{
namespace
{

// Six frames at 10 per second: 100 ms each.
const std::vector<uint32_t> FrameColours{0xE01010, 0x10E010, 0x1010E0, 0xF0F0F0, 0x101010, 0xE0E010};
constexpr int FrameMs = 100;
constexpr int ClipMs = 600;
constexpr int ClipWidth = 64;
constexpr int ClipHeight = 48;
constexpr double ToneHertz = 1000.0;

std::vector<uint8_t> clip(bool withTone, int frames = 6, double soundSeconds = 0.0)
{
    OrvaneTools::MovieSpec spec;
    spec.width = ClipWidth;
    spec.height = ClipHeight;
    spec.fpsNumerator = 10;
    spec.frames = frames;
    spec.pixel = OrvaneTools::ColourPerFrame(FrameColours);
    spec.toneHertz = withTone ? ToneHertz : 0.0;
    spec.soundSeconds = soundSeconds;
    return OrvaneTools::WriteMovie(spec);
}

// The Ogg pages of a file, in order, as byte ranges.
struct PageSpan
{
    size_t offset, length;
    int serial;
    bool startsPacket;
};

std::vector<PageSpan> pagesOf(const std::vector<uint8_t>& bytes)
{
    std::vector<PageSpan> pages;
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, long(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), buffer);
    ogg_sync_wrote(&sync, long(bytes.size()));
    ogg_page page;
    size_t offset = 0;
    while (ogg_sync_pageout(&sync, &page) == 1)
    {
        const size_t length = size_t(page.header_len + page.body_len);
        pages.push_back({offset, length, ogg_page_serialno(&page), !ogg_page_continued(&page)});
        offset += length;
    }
    ogg_sync_clear(&sync);
    return pages;
}

// Changes a page's body and sets its checksum again, so that only the codec can notice.
void respoil(std::vector<uint8_t>& bytes, const PageSpan& span, const std::function<void(uint8_t*)>& change)
{
    ogg_page page;
    page.header = bytes.data() + span.offset;
    page.header_len = 27 + page.header[26];
    page.body = page.header + page.header_len;
    page.body_len = long(span.length) - page.header_len;
    change(page.body);
    ogg_page_checksum_set(&page);
}

class MovieTest : public RenderFixture
{
protected:
    void SetUp() override
    {
        RenderFixture::SetUp();
        sound_ = new Kavro::CSoundDevice(fileSystem_, Kavro::CSoundDevice::Output::Offline);
        texture_ = device_->createTexture(ClipWidth, ClipHeight, 1, 0);
        ASSERT_NE(texture_, nullptr);
    }
    void TearDown() override
    {
        if (movie_)
            movie_->release();
        if (texture_)
            texture_->release();
        if (sound_)
            sound_->release();
        RenderFixture::TearDown();
    }

    // A player on the test's clock; with sound it plays through the offline device.
    Kavro::CMovie* open(std::vector<uint8_t> bytes, bool withDevice = true)
    {
        movie_ = new Kavro::CMovie(fileSystem_, withDevice ? sound_ : nullptr, [this] { return now_; });
        EXPECT_EQ(movie_->openBytes(std::move(bytes)), 0);
        return movie_;
    }
    // Lets the decoder catch up with the clock and shows the frame due.
    void show()
    {
        for (int i = 0; i < 12; ++i)
        {
            ASSERT_TRUE(movie_->waitForDecoder(5000));
            ASSERT_EQ(movie_->updateFrame(texture_), 0);
        }
    }
    uint32_t shownColour()
    {
        readBack(texture_);
        return pixel(ClipWidth / 2, ClipHeight / 2);
    }
    void expectFrame(int index)
    {
        const uint32_t wanted = 0xFF000000u | FrameColours[size_t(index) % FrameColours.size()];
        const uint32_t got = shownColour();
        EXPECT_LE(ChannelDistance(got, wanted), 12) << "frame " << index << ": " << Hex(got) << " for "
                                                    << Hex(wanted);
    }
    Stereo render(int milliseconds)
    {
        Stereo out;
        out.samples.resize(size_t(milliseconds) * 441 / 10 * 2);
        sound_->renderOffline(out.samples.data(), int(out.samples.size() / 2));
        return out;
    }

    int64_t now_ = 0;
    Kavro::CSoundDevice* sound_ = nullptr;
    Kavro::ITexture* texture_ = nullptr;
    Kavro::CMovie* movie_ = nullptr;
};

TEST_F(MovieTest, EachFrameReachesTheTextureAtItsTime)
{
    Kavro::CMovie* movie = open(clip(false));
    EXPECT_EQ(movie->getWidth(), ClipWidth);
    EXPECT_EQ(movie->getHeight(), ClipHeight);
    EXPECT_EQ(movie->getDuration(), ClipMs);
    EXPECT_FALSE(movie->hasSound());
    // Before play the first frame stands.
    show();
    expectFrame(0);
    EXPECT_EQ(movie->play(0), 0);
    EXPECT_EQ(movie->isPlaying(), 1);
    for (int frame = 0; frame < 6; ++frame)
    {
        now_ = frame * FrameMs + 40;
        show();
        expectFrame(frame);
        EXPECT_EQ(movie->getPosition(), frame * FrameMs + 40);
    }
    // The end: the last frame stays and the movie reports itself stopped at its end.
    now_ = ClipMs + 10;
    show();
    expectFrame(5);
    EXPECT_EQ(movie->isPlaying(), 0);
    EXPECT_EQ(movie->getPosition(), ClipMs);
}

TEST_F(MovieTest, LoopsPausesSeeksAndSpeeds)
{
    Kavro::CMovie* movie = open(clip(false));
    struct Step
    {
        const char* what;
        std::function<void(Kavro::CMovie&, int64_t&)> act;
        int frame;   // shown afterwards
        int playing; // isPlaying afterwards
    } steps[] = {
        {"two passes", [](Kavro::CMovie& m, int64_t& t) { m.play(2), t = 0; }, 0, 1},
        {"second pass", [](Kavro::CMovie&, int64_t& t) { t = ClipMs + 250; }, 2, 1},
        {"after both", [](Kavro::CMovie&, int64_t& t) { t = 2 * ClipMs + 50; }, 5, 0},
        {"for ever", [](Kavro::CMovie& m, int64_t& t) { m.play(-1), t += 0; }, 0, 1},
        {"tenth pass", [](Kavro::CMovie&, int64_t& t) { t += 10 * ClipMs + 350; }, 3, 1},
        {"paused", [](Kavro::CMovie& m, int64_t&) { m.pause(); }, 3, 1},
        {"time passes", [](Kavro::CMovie&, int64_t& t) { t += 1000; }, 3, 1},
        {"resumed", [](Kavro::CMovie& m, int64_t& t) { m.resume(), t += 100; }, 4, 1},
        {"seek back", [](Kavro::CMovie& m, int64_t&) { m.seek(120); }, 1, 1},
        {"twice as fast", [](Kavro::CMovie& m, int64_t& t) { m.setSpeed(2.0f), t += 100; }, 3, 1},
        {"stop", [](Kavro::CMovie& m, int64_t&) { m.stop(); }, 0, 0},
        {"seek while stopped", [](Kavro::CMovie& m, int64_t&) { m.seek(450); }, 4, 0},
        {"play from there", [](Kavro::CMovie& m, int64_t& t) { m.play(0), t += 60; }, 5, 1},
    };
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.what);
        step.act(*movie, now_);
        show();
        expectFrame(step.frame);
        EXPECT_EQ(movie->isPlaying(), step.playing);
    }
    EXPECT_EQ(movie->setSpeed(0.0f), -1);
}

TEST_F(MovieTest, SoundIsTheClockAndReachesTheDevice)
{
    Kavro::CMovie* movie = open(clip(true));
    ASSERT_TRUE(movie->hasSound());
    EXPECT_EQ(movie->getDuration(), ClipMs);
    movie->play(0);
    const Stereo first = render(250);
    // The movie's time is the sound's: the test clock stands still.
    EXPECT_NEAR(movie->getPosition(), 250, 25);
    show();
    expectFrame(2);
    // A steady 1 kHz tone at the encoded level on both sides.
    const size_t from = 441 * 5, to = first.frames();
    EXPECT_NEAR(first.period(0, from, to), 44.1, 0.3);
    EXPECT_NEAR(first.rms(0, from, to), 0.5 / std::sqrt(2.0), 0.05);
    EXPECT_NEAR(first.rms(1, from, to), first.rms(0, from, to), 0.01);

    movie->setVolume(0.5f);
    const Stereo half = render(100);
    EXPECT_NEAR(half.rms(0, 441, half.frames()), 0.25 / std::sqrt(2.0), 0.03);

    movie->pause();
    render(20);
    const Stereo paused = render(100);
    EXPECT_LT(paused.peak(0, 0, paused.frames()), 0.001);
    const int heldAt = movie->getPosition();
    EXPECT_EQ(movie->isPaused(), 1);
    movie->resume();
    render(400);
    EXPECT_EQ(movie->isPlaying(), 0) << "the sound ran out, so did the movie";
    EXPECT_GE(heldAt, 340);
    show();
    expectFrame(5);
}

TEST_F(MovieTest, SoundShorterThanThePictureIsPaddedWithSilence)
{
    Kavro::CMovie* movie = open(clip(true, 6, 0.2));
    ASSERT_TRUE(movie->hasSound());
    EXPECT_EQ(movie->getDuration(), ClipMs);
    movie->play(0);
    const Stereo out = render(450);
    EXPECT_GT(out.rms(0, 441, 441 * 18), 0.3);
    EXPECT_LT(out.peak(0, 441 * 25, out.frames()), 0.001);
    show();
    expectFrame(4);
    EXPECT_EQ(movie->isPlaying(), 1);
}

TEST_F(MovieTest, DamagedFilesFailToOpenOrStopTheMovieCleanly)
{
    // Noise fills many pages.
    OrvaneTools::MovieSpec spec;
    spec.width = 160;
    spec.height = 120;
    spec.fpsNumerator = 10;
    spec.frames = 20;
    spec.toneHertz = ToneHertz;
    spec.pixel = [](int frame, int x, int y) { return uint32_t((x * 7919 + y * 104729 + frame * 31) * 2654435761u); };
    const std::vector<uint8_t> good = OrvaneTools::WriteMovie(spec);
    const std::vector<PageSpan> pages = pagesOf(good);
    ASSERT_GT(pages.size(), 6u);
    // A Theora data page halfway through that begins a packet (past the header pages of both streams).
    std::vector<size_t> framePages;
    for (size_t i = 4; i < pages.size(); ++i)
        if (pages[i].serial == pages[0].serial && pages[i].startsPacket)
            framePages.push_back(i);
    ASSERT_GE(framePages.size(), 3u);
    const size_t dataPage = framePages[framePages.size() / 2];

    struct Case
    {
        const char* what;
        std::function<std::vector<uint8_t>()> bytes;
    } refused[] = {
        {"empty", [] { return std::vector<uint8_t>(); }},
        {"not Ogg", [] { return std::vector<uint8_t>(4000, 0x5A); }},
        {"cut inside a page", [&] { return std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() - 7)); }},
        {"cut in half", [&] { return std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() / 2)); }},
        {"headers only", [&] { return std::vector<uint8_t>(good.begin(), good.begin() + long(pages[3].offset)); }},
        {"a byte flipped", [&] {
             std::vector<uint8_t> b = good;
             b[pages[dataPage].offset + pages[dataPage].length / 2] ^= 0x40;
             return b;
         }},
        {"a page missing", [&] {
             std::vector<uint8_t> b = good;
             b.erase(b.begin() + long(pages[dataPage].offset),
                     b.begin() + long(pages[dataPage].offset + pages[dataPage].length));
             return b;
         }},
        {"no picture stream", [&] {
             std::vector<uint8_t> b = good;
             // The Theora identification header's magic, spoilt under a valid checksum.
             respoil(b, pages[0], [](uint8_t* body) { body[2] ^= 0xFF; });
             return b;
         }},
    };
    for (const Case& c : refused)
    {
        SCOPED_TRACE(c.what);
        auto* movie = new Kavro::CMovie(fileSystem_, sound_, [this] { return now_; });
        EXPECT_EQ(movie->openBytes(c.bytes()), -1);
        EXPECT_EQ(movie->getWidth(), 0);
        EXPECT_EQ(movie->play(0), -1);
        EXPECT_EQ(movie->updateFrame(texture_), -1);
        EXPECT_EQ(movie->isPlaying(), 0);
        movie->release();
    }

    // A page whose checksum holds but whose packet is not a frame: found only while decoding.
    std::vector<uint8_t> spoilt = good;
    respoil(spoilt, pages[dataPage], [](uint8_t* body) { body[0] |= 0x80; });
    Kavro::CMovie* movie = open(spoilt, false);
    ASSERT_NE(movie, nullptr);
    movie->play(-1);
    for (now_ = 0; now_ < 3 * ClipMs && movie->isPlaying(); now_ += 50)
        show();
    EXPECT_EQ(movie->isPlaying(), 0);
    EXPECT_EQ(movie->updateFrame(texture_), 0);
}

// A noisy frame is larger than one Ogg page can hold, so its packet runs over pages that end no packet:
// the written clip must keep them in order and open.
TEST_F(MovieTest, GeneratedClipWithFramesOverSeveralPagesOpens)
{
    OrvaneTools::MovieSpec spec;
    spec.width = 480;
    spec.height = 272;
    spec.fpsNumerator = 10;
    spec.frames = 3;
    spec.toneHertz = ToneHertz;
    spec.pixel = [](int frame, int x, int y) { return uint32_t((x * 7919 + y * 104729 + frame * 31) * 2654435761u); };
    const std::vector<uint8_t> bytes = OrvaneTools::WriteMovie(spec);
    size_t continued = 0;
    for (const PageSpan& page : pagesOf(bytes))
        continued += page.startsPacket ? 0 : 1;
    ASSERT_GT(continued, 0u) << "no frame spans pages: the case is not exercised";
    std::vector<Kavro::OggStreamSummary> streams;
    EXPECT_TRUE(Kavro::ScanOggPages(bytes.data(), bytes.size(), streams));
    EXPECT_EQ(streams.size(), 2u);
    auto* movie = new Kavro::CMovie(fileSystem_, nullptr, [this] { return now_; });
    EXPECT_EQ(movie->openBytes(std::vector<uint8_t>(bytes)), 0);
    EXPECT_EQ(movie->getWidth(), 480);
    movie->release();
}

TEST_F(MovieTest, OpensThroughTheFileSystemAndWritesTheBoundTexture)
{
    const std::vector<uint8_t> bytes = clip(false);
    std::ofstream(directory_ / "op.ogv", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    auto* movie = new Kavro::CMovie(fileSystem_, nullptr, [this] { return now_; });
    movie_ = movie;
    EXPECT_EQ(movie->open("missing.ogv", 0), -1);
    ASSERT_EQ(movie->open("op.ogv", 0), 0);
    EXPECT_EQ(movie->open("op.ogv", 0), -1) << "a player opens once";
    EXPECT_EQ(movie->setTexture(texture_), 0);
    movie->play(0);
    now_ = 330;
    for (int i = 0; i < 12; ++i)
    {
        ASSERT_TRUE(movie->waitForDecoder(5000));
        ASSERT_EQ(movie->updateFrame(nullptr), 0);
    }
    expectFrame(3);
    EXPECT_GE(movie->framesShown(), 1);
    EXPECT_EQ(movie->setTexture(nullptr), 0);
}

TEST_F(MovieTest, SpriteOverAMovieTextureShowsTheFrameDueWhenTheSceneDrawsIt)
{
    Kavro::ITexture* frames = device_->createMovieTexture(ClipWidth, ClipHeight);
    ASSERT_NE(frames, nullptr);
    Kavro::CMovie* movie = open(clip(false), false);
    movie->setTexture(frames);
    Kavro::ISprite3D* sprite = device_->createSprite3D(1, frames);
    ASSERT_NE(sprite, nullptr);
    const uint8_t white[4] = {255, 255, 255, 255};
    sprite->begin(1, 0);
    sprite->drawQuad(Kavro::Matrix4x4(), {float(ClipWidth), float(ClipHeight)}, white,
                     {0.0f, 0.0f, float(ClipWidth), float(ClipHeight)});
    sprite->end();
    Kavro::ISceneManager* scene = device_->getSceneManager();
    Kavro::ISceneSprite* placed = scene->addSprite3D(sprite);
    ASSERT_NE(placed, nullptr);
    // One unit per pixel: the quad's top-left corner at the middle of the screen.
    Kavro::ICamera* camera = device_->createCamera();
    camera->setOrtho(float(ScreenWidth), float(ScreenHeight), 0.5f, 100.0f);
    camera->setLookAt({0.0f, 0.0f, -10.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    camera->update();
    scene->setCamera(camera);
    scene->setLightColor({1.0f, 1.0f, 1.0f, 1.0f});
    movie->play(0);
    for (int frame : {1, 4})
    {
        now_ = frame * FrameMs + FrameMs / 2;
        for (int i = 0; i < 12; ++i)
        {
            ASSERT_TRUE(movie->waitForDecoder(5000));
            ASSERT_EQ(scene->addSceneNode(placed->getSceneNode()), 0);
            ASSERT_EQ(scene->renderScene(), 0);
        }
        readBack();
        const uint32_t wanted = 0xFF000000u | FrameColours[size_t(frame)];
        const uint32_t got = pixel(ScreenWidth / 2 + ClipWidth / 2, ScreenHeight / 2 + ClipHeight / 2);
        EXPECT_LE(ChannelDistance(got, wanted), 12) << "frame " << frame << ": " << Hex(got) << " for " << Hex(wanted);
    }
    scene->setCamera(nullptr);
    camera->release();
    // The movie may go first: the texture forgets it.
    movie_->release();
    movie_ = nullptr;
    scene->addSceneNode(placed->getSceneNode());
    EXPECT_EQ(scene->renderScene(), 0);
    placed->release();
    sprite->release();
    frames->release();
}

} // namespace
} // namespace OrvaneTest
