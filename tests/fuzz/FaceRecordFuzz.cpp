// libFuzzer target for the face record reader: any bytes load or fail without reading past the record or
// the file, and a record that loads saves again and loads back to the same bytes.
// Seeds: ORVANE_FACE_SEED_DIR=corpus/ makes the target write a saved face there at start-up.
#include "core/CFile.h"
#include "model/CModelFace.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

std::string scratch(const char* name)
{
    return "/tmp/orvane_face_fuzz_" + std::to_string(::getpid()) + name;
}

std::vector<uint8_t> readAll(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (FILE* in = std::fopen(path.c_str(), "rb"))
    {
        int c;
        while ((c = std::fgetc(in)) != EOF)
            bytes.push_back(uint8_t(c));
        std::fclose(in);
    }
    return bytes;
}

void writeSeed(const char* directory)
{
    Orvane::CModelFace face(nullptr);
    face.sequence->add("smile", 1000);
    face.sequence->add("LOOP", 0);
    face.eyeTargets[0] = "eye_open";
    face.mouthTargets[1] = "mouth_open";
    face.currentFace = "smile";
    face.changing = 1;
    Orvane::CFile file;
    if (file.open((std::string(directory) + "/face.sav").c_str(), 0, 1, 0) == 0)
    {
        face.save(&file);
        file.close();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (const char* directory = std::getenv("ORVANE_FACE_SEED_DIR"))
        writeSeed(directory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = scratch(".in");
    if (FILE* out = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    Orvane::CModelFace face(nullptr);
    Orvane::CFile file(path.c_str());
    const int loaded = face.load(&file);
    if (file.getFilePosition() > int64_t(size))
        std::abort();
    face.stepFaceSequence();
    if (loaded != 1)
        return 0;
    // What loaded saves, loads back and saves again to the same bytes.
    const auto save = [](Orvane::CModelFace& source, const std::string& to) {
        Orvane::CFile out;
        if (out.open(to.c_str(), 0, 1, 0) != 0 || source.save(&out) != 1 || out.close() != 0)
            std::abort();
    };
    save(face, scratch(".out"));
    Orvane::CModelFace copy(nullptr);
    {
        Orvane::CFile in(scratch(".out").c_str());
        if (copy.load(&in) != 1)
            std::abort();
    }
    save(copy, scratch(".out2"));
    if (readAll(scratch(".out")) != readAll(scratch(".out2")))
        std::abort();
    return 0;
}
