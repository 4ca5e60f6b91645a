// Writes the demo game's sounds: orvane-demo-sound <folder> makes <folder>/sound/bgm.ogg (eight
// seconds of music that loops seamlessly) and <folder>/sound/se.wav (a short chime).
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

constexpr int Rate = 44100;
constexpr double Pi = 3.14159265358979323846;

double noteHertz(int midiNote)
{
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

// A soft plucked tone: a few harmonics under an exponential decay, added to both channels with a pan.
void addTone(std::vector<float>& stereo, double startSeconds, double seconds, int midiNote, double level, double pan)
{
    const double hertz = noteHertz(midiNote);
    const size_t first = size_t(startSeconds * Rate);
    const size_t count = size_t(seconds * Rate);
    const size_t frames = stereo.size() / 2;
    const double left = level * std::cos((pan + 1.0) * Pi / 4.0);
    const double right = level * std::sin((pan + 1.0) * Pi / 4.0);
    for (size_t i = 0; i < count; ++i)
    {
        const double t = double(i) / Rate;
        const double attack = std::min(1.0, t / 0.01);
        const double release = std::min(1.0, (seconds - t) / 0.05);
        const double envelope = attack * release * std::exp(-3.0 * t / seconds);
        const double phase = 2.0 * Pi * hertz * t;
        const double v = envelope * (std::sin(phase) + 0.3 * std::sin(2.0 * phase) + 0.1 * std::sin(3.0 * phase));
        // Wrapping keeps the loop seamless: a note held over the end sounds at the start.
        const size_t at = (first + i) % frames;
        stereo[at * 2] += float(v * left);
        stereo[at * 2 + 1] += float(v * right);
    }
}

// Four bars of a chord progression with a bass line and an arpeggio, 120 beats a minute.
std::vector<float> music()
{
    const double beat = 0.5;
    std::vector<float> stereo(size_t(16 * beat * Rate) * 2, 0.0f);
    const int chords[4][3] = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}};
    for (int bar = 0; bar < 4; ++bar)
    {
        const double barStart = bar * 4 * beat;
        addTone(stereo, barStart, 4 * beat, chords[bar][0] - 12, 0.18, 0.0);
        for (int note = 0; note < 3; ++note)
            addTone(stereo, barStart, 4 * beat, chords[bar][note], 0.06, -0.4 + 0.4 * note);
        for (int step = 0; step < 8; ++step)
            addTone(stereo, barStart + step * beat / 2, beat, chords[bar][step % 3] + 12, 0.07, step % 2 ? 0.5 : -0.5);
    }
    return stereo;
}

std::vector<float> chime()
{
    std::vector<float> stereo(size_t(0.4 * Rate) * 2, 0.0f);
    addTone(stereo, 0.0, 0.4, 84, 0.3, 0.0);
    addTone(stereo, 0.0, 0.4, 91, 0.15, 0.0);
    return stereo;
}

bool write(const std::filesystem::path& path, int format, const std::vector<float>& stereo)
{
    SF_INFO info{};
    info.samplerate = Rate;
    info.channels = 2;
    info.format = format;
    SNDFILE* file = sf_open(path.string().c_str(), SFM_WRITE, &info);
    if (!file)
    {
        std::fprintf(stderr, "orvane-demo-sound: cannot write %s: %s\n", path.string().c_str(), sf_strerror(nullptr));
        return false;
    }
    const sf_count_t frames = sf_count_t(stereo.size() / 2);
    const bool whole = sf_writef_float(file, stereo.data(), frames) == frames;
    sf_close(file);
    return whole;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: orvane-demo-sound <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / "sound";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
    {
        std::fprintf(stderr, "orvane-demo-sound: cannot make %s\n", folder.string().c_str());
        return 1;
    }
    const bool ok = write(folder / "bgm.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, music()) &&
                    write(folder / "se.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, chime());
    return ok ? 0 : 1;
}
