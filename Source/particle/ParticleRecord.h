#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Orvane::Particle
{

// The fixed part of a particle definition, laid out byte for byte as in a ".particle" file (all
// values little-endian; this engine only builds for little-endian hosts). Member names are the keys
// of the definition's table form; a nested struct is a nested table. Switches are i32 (0 off), colour
// channels are i32 values 0..255, times are milliseconds and angles degrees.

// A time with an optional random spread: "frame", "delay" and "particle_age".
struct TimeRange
{
    int32_t time;
    int32_t use_random;
    int32_t random_range;
};

struct SizeRange
{
    float x;
    float y;
};

struct RandomFloat
{
    float value;
    int32_t use_random;
    float random_range;
};

// A random value whose sign may be flipped at random.
struct RandomFloatRev
{
    float value;
    int32_t use_random;
    float random_range;
    int32_t is_reverse_value;
};

struct ResistFloat
{
    float value;
    int32_t use_random;
    float random_range;
    float add_resist;
};

struct Channels
{
    int32_t r;
    int32_t g;
    int32_t b;
    int32_t a;
};

struct Axes
{
    float x;
    float y;
    float z;
};

template <class T> struct Vector3Of
{
    T x;
    T y;
    T z;
};

template <class T> struct Faces
{
    T left;
    T right;
    T top;
    T bottom;
    T back;
    T front;
};

using FaceName = char[256];

// A child effect started by the particles.
struct MakeParticleBlock
{
    int32_t enable;
    char particle_name[100];
    int32_t execute_particle_level;
    TimeRange delay;
    int32_t is_inherit;
};

struct SoundBlock
{
    char filename[256];
    int32_t loop;
    int32_t play_per_particle;
};

struct RotateAxis
{
    int32_t type;
    RandomFloat angle;
    RandomFloat velocity;
    RandomFloat acceleration;
    ResistFloat resist;
    int32_t use_frame;
    TimeRange frame;
};

struct AngularAxis
{
    RandomFloatRev velocity;
    RandomFloatRev acceleration;
    ResistFloat velocity_resist;
    int32_t use_frame;
    TimeRange frame;
};

struct SpriteSize
{
    struct
    {
        float x;
        float y;
        int32_t use_random;
        SizeRange random_range;
        int32_t use_fix_rate;
        int32_t exe_type;
    } start;
    int32_t use_middle;
    struct
    {
        float x;
        float y;
        int32_t use_random;
        SizeRange random_range;
        int32_t use_fix_rate;
        int32_t exe_type;
        float timing;
        int32_t tempo;
    } middle;
    int32_t use_end;
    struct
    {
        float x;
        float y;
        int32_t use_random;
        SizeRange random_range;
        int32_t use_fix_rate;
        int32_t exe_type;
        int32_t tempo;
    } end;
    int32_t use_frame;
    TimeRange frame;
};

struct SpriteColor
{
    int32_t culc_mode;
    struct
    {
        int32_t r;
        int32_t g;
        int32_t b;
        int32_t a;
        int32_t use_random;
        Channels random_range;
    } start;
    int32_t use_middle;
    struct
    {
        int32_t r;
        int32_t g;
        int32_t b;
        int32_t a;
        float timing;
        int32_t tempo;
        int32_t use_random;
        Channels random_range;
        int32_t only_alpha;
    } middle;
    int32_t use_end;
    struct
    {
        int32_t r;
        int32_t g;
        int32_t b;
        int32_t a;
        int32_t tempo;
        int32_t use_random;
        Channels random_range;
        int32_t only_alpha;
    } end;
    int32_t use_frame;
    TimeRange frame;
};

struct Sprite
{
    int32_t blend_mode;
    int32_t use_z_buffer;
    int32_t culling_aspect;
    int32_t use_billboard;
    SpriteSize size;
    SpriteColor color;
};

struct Occur
{
    struct
    {
        int32_t num;
        int32_t use_random;
        int32_t random_range;
    } particle_num;
    int32_t use_particle_age;
    TimeRange particle_age;
    int32_t patturn;
    int32_t count;
    int32_t suspend_time;
    int32_t use_delay;
    struct
    {
        int32_t time;
        int32_t use_random;
        int32_t random_range;
        int32_t order;
    } delay;
    MakeParticleBlock same_time_make_particle;
    MakeParticleBlock endress_make_particle;
    MakeParticleBlock lost_time_make_particle;
};

struct Sound
{
    SoundBlock same_time_play;
    SoundBlock lost_time_play;
};

struct Location
{
    int32_t use_bounding_point;
    int32_t use_bounding_circle;
    struct
    {
        float radius;
        Axes rotate;
        int32_t make_type;
        int32_t spectrum_type;
        float first_angle;
        float interval_angle;
        float interval_duration_angle;
    } circle;
    int32_t use_bounding_sphere;
    struct
    {
        float radius;
        int32_t make_type;
        int32_t spectrum_type;
        float latitude_angle;
        float longitude_angle;
        int32_t use_base_point_select_range;
        float latitude_select_range;
        float longitude_select_range;
    } sphere;
    int32_t use_bounding_box;
    struct
    {
        Faces<float> size;
        Axes rotate;
        int32_t make_type;
        Faces<int32_t> aspect;
    } box;
};

struct Rotate
{
    RotateAxis z;
    RotateAxis x;
    RotateAxis y;
};

struct Attract
{
    RandomFloatRev x;
    RandomFloatRev y;
    RandomFloatRev z;
    int32_t use_middle;
    struct
    {
        RandomFloatRev x;
        RandomFloatRev y;
        RandomFloatRev z;
        int32_t exe_type;
        float timing;
        int32_t tempo;
    } middle;
    int32_t use_end;
    struct
    {
        RandomFloatRev x;
        RandomFloatRev y;
        RandomFloatRev z;
        int32_t exe_type;
        int32_t tempo;
    } end;
    RandomFloatRev power;
};

struct Move
{
    Vector3Of<RandomFloatRev> velocity;
    Vector3Of<RandomFloatRev> acceleration;
    Vector3Of<ResistFloat> regist;
    int32_t use_base_point;
    int32_t use_absolute_vector;
    Vector3Of<RandomFloat> absolute_vector;
    int32_t use_circle;
    struct
    {
        Axes rotate;
        int32_t diffuse_type;
        int32_t diffuse_order;
        float first_diffuse_angle;
        float diffuse_angle;
        float diffuse_duration_angle;
    } circle;
    int32_t use_sphere;
    struct
    {
        RandomFloat latitude_angle;
        RandomFloat longitude_angle;
        int32_t diffuse_type;
    } sphere;
    Attract attract;
    int32_t use_gravity;
    struct
    {
        float acceleration;
        float factor;
    } gravity;
    int32_t use_earth;
    struct
    {
        float height;
        float restitution;
        int32_t touch_action;
        char touch_sound_filename[256];
    } earth;
    int32_t use_box_range;
    struct
    {
        Faces<float> size;
        Faces<int32_t> aspect;
        Faces<float> restitution;
        Faces<int32_t> touch_action;
        Faces<FaceName> touch_sound_files;
    } box_range;
    int32_t use_sphere_range;
    struct
    {
        float radius;
        float restitution;
        int32_t touch_action;
        char touch_sound_filename[256];
    } sphere_range;
};

struct Turn
{
    struct
    {
        RandomFloat x;
        RandomFloat y;
        RandomFloat z;
        int32_t use_middle;
        struct
        {
            RandomFloat x;
            RandomFloat y;
            RandomFloat z;
            int32_t exe_type;
            float timing;
            int32_t tempo;
        } middle;
        int32_t use_end;
        struct
        {
            RandomFloat x;
            RandomFloat y;
            RandomFloat z;
            int32_t exe_type;
            int32_t tempo;
        } end;
    } radius;
    struct
    {
        int32_t use_absolute_vector;
        float x;
        float y;
        float z;
        int32_t use_uniform;
        struct
        {
            float first_value;
            float duration;
        } uniform;
        int32_t use_random;
    } first_angle;
    struct
    {
        AngularAxis x;
        AngularAxis y;
        AngularAxis z;
        int32_t use_middle;
        struct
        {
            RandomFloatRev x;
            RandomFloatRev y;
            RandomFloatRev z;
            int32_t exe_type;
            float timing;
            int32_t tempo;
        } middle;
        int32_t use_end;
        struct
        {
            RandomFloatRev x;
            RandomFloatRev y;
            RandomFloatRev z;
            int32_t exe_type;
            int32_t tempo;
        } end;
    } angular_velocity;
};

struct ParticleRecord
{
    int32_t is_use_particle;
    char particle_name[100];
    char texture_filename[256];
    // The animation keys of the table form share one nested table "animation", with is_no_anim
    // between its file name and its flags in the record.
    char animation_filename[256];
    int32_t is_no_anim;
    int32_t animation_loop;
    int32_t animation_use_random_start_time;
    Sprite sprite;
    Occur occur;
    Sound sound;
    Location location;
    Rotate rotate;
    Move move;
    Turn turn;
    int32_t version;
    int32_t texture_count;
    int32_t texture_use_count;
    int32_t texture_random;
    struct
    {
        char name[100];
        int32_t size;
        int32_t width;
    } font;
    struct
    {
        int32_t num;
        float time;
        int32_t shulink_tail_enable;
        int32_t fade_tail_enable;
        int32_t sync_life_time;
    } polyline;
    // Never interpreted; copied with the record.
    uint8_t reserved[48];
};

// Sizes of the record, of its part that carries keys, and of the older layout (the record up to
// version).
constexpr size_t ParticleRecordSize = 5556;
constexpr size_t ParticleFieldBytes = 5508;
constexpr size_t OldParticleRecordSize = 5364;

static_assert(sizeof(ParticleRecord) == ParticleRecordSize);
static_assert(offsetof(ParticleRecord, reserved) == ParticleFieldBytes);
static_assert(offsetof(ParticleRecord, version) == OldParticleRecordSize);

// The text of a char[N] field: up to its first zero byte, and never more than N bytes.
template <size_t N> std::string fieldText(const char (&field)[N])
{
    size_t length = 0;
    while (length < N && field[length] != '\0')
        ++length;
    return std::string(field, length);
}

} // namespace Orvane::Particle
