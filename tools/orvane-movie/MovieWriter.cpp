#include "MovieWriter.h"

#include <ogg/ogg.h>
#include <theora/theoraenc.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace OrvaneTools
{

namespace
{

constexpr double Pi = 3.14159265358979323846;

struct Page
{
    double time; // seconds at the page's end; headers first
    int order;   // header pages: the order they must keep
    std::vector<uint8_t> bytes;
};

void takePage(const ogg_page& page, double time, int order, std::vector<Page>& pages)
{
    Page out{time, order, {}};
    out.bytes.insert(out.bytes.end(), page.header, page.header + page.header_len);
    out.bytes.insert(out.bytes.end(), page.body, page.body + page.body_len);
    pages.push_back(std::move(out));
}

// A data page that ends no packet has no granule position (a large frame spans several pages): it keeps
// the time of the stream's page before it, so that sorting by time never moves it ahead of that page.
void takeDataPage(const ogg_page& page, double time, double& lastTime, std::vector<Page>& pages)
{
    if (ogg_page_granulepos(&page) >= 0)
        lastTime = time;
    takePage(page, lastTime, 3, pages);
}

// Limited-range BT.601.
void toYuv(uint32_t rgb, double& y, double& cb, double& cr)
{
    const double r = double((rgb >> 16) & 0xFF) / 255.0;
    const double g = double((rgb >> 8) & 0xFF) / 255.0;
    const double b = double(rgb & 0xFF) / 255.0;
    y = 16.0 + 65.481 * r + 128.553 * g + 24.966 * b;
    cb = 128.0 - 37.797 * r - 74.203 * g + 112.0 * b;
    cr = 128.0 + 112.0 * r - 93.786 * g - 18.214 * b;
}

uint8_t toByte(double v)
{
    return uint8_t(std::clamp(std::lround(v), 0L, 255L));
}

bool writeVideo(const MovieSpec& spec, int serial, std::vector<Page>& pages)
{
    th_info info;
    th_info_init(&info);
    info.frame_width = uint32_t((spec.width + 15) & ~15);
    info.frame_height = uint32_t((spec.height + 15) & ~15);
    info.pic_width = uint32_t(spec.width);
    info.pic_height = uint32_t(spec.height);
    info.pic_x = 0;
    info.pic_y = 0;
    info.fps_numerator = uint32_t(spec.fpsNumerator);
    info.fps_denominator = uint32_t(spec.fpsDenominator);
    info.aspect_numerator = 1;
    info.aspect_denominator = 1;
    info.colorspace = TH_CS_UNSPECIFIED;
    info.pixel_fmt = TH_PF_420;
    info.target_bitrate = 0;
    info.quality = std::clamp(spec.quality, 0, 63);
    th_enc_ctx* encoder = th_encode_alloc(&info);
    if (!encoder)
    {
        th_info_clear(&info);
        return false;
    }
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);
    th_comment comment;
    th_comment_init(&comment);
    ogg_packet packet;
    ogg_page page;
    int headers = 0;
    while (th_encode_flushheader(encoder, &comment, &packet) > 0)
    {
        ogg_stream_packetin(&stream, &packet);
        // The identification header alone on the first page.
        if (headers++ == 0)
            while (ogg_stream_flush(&stream, &page))
                takePage(page, -1.0, 0, pages);
    }
    while (ogg_stream_flush(&stream, &page))
        takePage(page, -1.0, 2, pages);

    const int fw = int(info.frame_width), fh = int(info.frame_height);
    std::vector<uint8_t> luma(size_t(fw) * size_t(fh)), blue(size_t(fw / 2) * size_t(fh / 2)),
        red(size_t(fw / 2) * size_t(fh / 2));
    std::vector<double> cbFull(size_t(fw) * size_t(fh)), crFull(size_t(fw) * size_t(fh));
    bool ok = true;
    double lastTime = 0.0;
    for (int f = 0; f < spec.frames && ok; ++f)
    {
        for (int y = 0; y < fh; ++y)
            for (int x = 0; x < fw; ++x)
            {
                double yy, cb, cr;
                toYuv(spec.pixel(f, std::min(x, spec.width - 1), std::min(y, spec.height - 1)), yy, cb, cr);
                luma[size_t(y) * size_t(fw) + size_t(x)] = toByte(yy);
                cbFull[size_t(y) * size_t(fw) + size_t(x)] = cb;
                crFull[size_t(y) * size_t(fw) + size_t(x)] = cr;
            }
        for (int y = 0; y < fh / 2; ++y)
            for (int x = 0; x < fw / 2; ++x)
            {
                const size_t a = size_t(2 * y) * size_t(fw) + size_t(2 * x);
                const size_t b = a + size_t(fw);
                blue[size_t(y) * size_t(fw / 2) + size_t(x)] =
                    toByte((cbFull[a] + cbFull[a + 1] + cbFull[b] + cbFull[b + 1]) / 4.0);
                red[size_t(y) * size_t(fw / 2) + size_t(x)] =
                    toByte((crFull[a] + crFull[a + 1] + crFull[b] + crFull[b + 1]) / 4.0);
            }
        th_ycbcr_buffer buffer;
        buffer[0] = {fw, fh, fw, luma.data()};
        buffer[1] = {fw / 2, fh / 2, fw / 2, blue.data()};
        buffer[2] = {fw / 2, fh / 2, fw / 2, red.data()};
        if (th_encode_ycbcr_in(encoder, buffer) != 0)
        {
            ok = false;
            break;
        }
        while (th_encode_packetout(encoder, f == spec.frames - 1, &packet) > 0)
        {
            ogg_stream_packetin(&stream, &packet);
            while (ogg_stream_pageout(&stream, &page))
                takeDataPage(page, th_granule_time(encoder, ogg_page_granulepos(&page)), lastTime, pages);
        }
    }
    while (ok && ogg_stream_flush(&stream, &page))
        takeDataPage(page, th_granule_time(encoder, ogg_page_granulepos(&page)), lastTime, pages);
    th_comment_clear(&comment);
    ogg_stream_clear(&stream);
    th_encode_free(encoder);
    th_info_clear(&info);
    return ok;
}

bool writeSound(const MovieSpec& spec, int serial, std::vector<Page>& pages)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, spec.channels, spec.soundRate, 0.4f) != 0)
    {
        vorbis_info_clear(&info);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);
    ogg_packet id, comments, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &id, &comments, &codebooks);
    ogg_page page;
    ogg_stream_packetin(&stream, &id);
    while (ogg_stream_flush(&stream, &page))
        takePage(page, -1.0, 1, pages);
    ogg_stream_packetin(&stream, &comments);
    ogg_stream_packetin(&stream, &codebooks);
    while (ogg_stream_flush(&stream, &page))
        takePage(page, -1.0, 2, pages);

    const double seconds = spec.soundSeconds > 0.0
                               ? spec.soundSeconds
                               : double(spec.frames) * spec.fpsDenominator / spec.fpsNumerator;
    const long total = long(std::lround(seconds * spec.soundRate));
    const long chunk = 1024;
    double lastTime = 0.0;
    auto drain = [&] {
        ogg_packet packet;
        while (vorbis_analysis_blockout(&dsp, &block) == 1)
        {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet))
            {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page))
                    takeDataPage(page, double(ogg_page_granulepos(&page)) / spec.soundRate, lastTime, pages);
            }
        }
    };
    for (long done = 0; done < total; done += chunk)
    {
        const long count = std::min(chunk, total - done);
        float** buffer = vorbis_analysis_buffer(&dsp, int(count));
        for (long i = 0; i < count; ++i)
        {
            const double t = double(done + i) / spec.soundRate;
            const float v = float(spec.toneLevel * std::sin(2.0 * Pi * spec.toneHertz * t));
            for (int c = 0; c < spec.channels; ++c)
                buffer[c][i] = v;
        }
        vorbis_analysis_wrote(&dsp, int(count));
        drain();
    }
    vorbis_analysis_wrote(&dsp, 0);
    drain();
    while (ogg_stream_flush(&stream, &page))
        takeDataPage(page, double(ogg_page_granulepos(&page)) / spec.soundRate, lastTime, pages);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return true;
}

} // namespace

std::vector<uint8_t> WriteMovie(const MovieSpec& spec)
{
    if (spec.width <= 0 || spec.height <= 0 || spec.frames <= 0 || spec.fpsNumerator <= 0 ||
        spec.fpsDenominator <= 0 || !spec.pixel)
        return {};
    std::vector<Page> pages;
    if (!writeVideo(spec, 0x4f72, pages))
        return {};
    if (spec.toneHertz > 0.0 && !writeSound(spec, 0x5661, pages))
        return {};
    // Headers in their order (every first page before any other), then the data pages by time.
    std::stable_sort(pages.begin(), pages.end(), [](const Page& a, const Page& b) {
        if (a.order != b.order)
            return a.order < b.order;
        return a.time < b.time;
    });
    std::vector<uint8_t> file;
    for (const Page& page : pages)
        file.insert(file.end(), page.bytes.begin(), page.bytes.end());
    return file;
}

std::function<uint32_t(int, int, int)> ColourPerFrame(std::vector<uint32_t> colours)
{
    return [colours = std::move(colours)](int frame, int, int) {
        return colours.empty() ? 0u : colours[size_t(frame) % colours.size()];
    };
}

} // namespace OrvaneTools
