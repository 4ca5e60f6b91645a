#include "particle/ParticleFields.h"

#include "particle/ParticleRecord.h"

#include <cstddef>

namespace Orvane::Particle
{

namespace
{

#define AT(member) uint32_t(offsetof(ParticleRecord, member))

// Appends the fields of the record's blocks under a key prefix.
class FieldList
{
public:
    std::vector<ParticleField> fields;

    void i32(const std::string& path, uint32_t offset) { fields.push_back({path, offset, FieldType::Int, 1}); }
    void f32(const std::string& path, uint32_t offset) { fields.push_back({path, offset, FieldType::Float, 1}); }
    void text(const std::string& path, uint32_t offset, uint32_t size)
    {
        fields.push_back({path, offset, FieldType::Text, size});
    }

    void timeRange(const std::string& p, uint32_t o)
    {
        i32(p + ".time", o);
        i32(p + ".use_random", o + 4);
        i32(p + ".random_range", o + 8);
    }
    // "use_frame" and "frame" in the table that holds the block.
    void frameBlock(const std::string& p, uint32_t o)
    {
        i32(p + ".use_frame", o);
        timeRange(p + ".frame", o + 4);
    }
    void sizeKey(const std::string& p, uint32_t o)
    {
        f32(p + ".x", o);
        f32(p + ".y", o + 4);
        i32(p + ".use_random", o + 8);
        f32(p + ".random_range.x", o + 12);
        f32(p + ".random_range.y", o + 16);
        i32(p + ".use_fix_rate", o + 20);
    }
    void channels(const std::string& p, uint32_t o)
    {
        i32(p + ".r", o);
        i32(p + ".g", o + 4);
        i32(p + ".b", o + 8);
        i32(p + ".a", o + 12);
    }
    void randomFloat(const std::string& p, uint32_t o)
    {
        f32(p + ".value", o);
        i32(p + ".use_random", o + 4);
        f32(p + ".random_range", o + 8);
    }
    void randomFloatRev(const std::string& p, uint32_t o)
    {
        randomFloat(p, o);
        i32(p + ".is_reverse_value", o + 12);
    }
    void resistFloat(const std::string& p, uint32_t o)
    {
        randomFloat(p, o);
        f32(p + ".add_resist", o + 12);
    }
    void axes(const std::string& p, uint32_t o)
    {
        f32(p + ".x", o);
        f32(p + ".y", o + 4);
        f32(p + ".z", o + 8);
    }
    template <class Add> void xyz(const std::string& p, uint32_t o, uint32_t stride, Add add)
    {
        (this->*add)(p + ".x", o);
        (this->*add)(p + ".y", o + stride);
        (this->*add)(p + ".z", o + 2 * stride);
    }
    void faces(const std::string& p, uint32_t o, FieldType type, uint32_t size)
    {
        static const char* const names[] = {"left", "right", "top", "bottom", "back", "front"};
        for (uint32_t face = 0; face < 6; ++face)
            fields.push_back({p + "." + names[face], o + face * size, type, type == FieldType::Text ? size : 1});
    }
    void makeParticle(const std::string& p, uint32_t o)
    {
        i32(p + ".enable", o);
        text(p + ".particle_name", o + 4, 100);
        i32(p + ".execute_particle_level", o + 104);
        timeRange(p + ".delay", o + 108);
        i32(p + ".is_inherit", o + 120);
    }
    void soundBlock(const std::string& p, uint32_t o)
    {
        text(p + ".filename", o, 256);
        i32(p + ".loop", o + 256);
        i32(p + ".play_per_particle", o + 260);
    }
    void rotateAxis(const std::string& p, uint32_t o)
    {
        i32(p + ".type", o);
        randomFloat(p + ".angle", o + 4);
        randomFloat(p + ".velocity", o + 16);
        randomFloat(p + ".acceleration", o + 28);
        resistFloat(p + ".resist", o + 40);
        frameBlock(p, o + 56);
    }
    void angularAxis(const std::string& p, uint32_t o)
    {
        randomFloatRev(p + ".velocity", o);
        randomFloatRev(p + ".acceleration", o + 16);
        resistFloat(p + ".velocity_resist", o + 32);
        frameBlock(p, o + 48);
    }
    // x, y, z of a block type, then the middle and end keys.
    template <class Add> void keyed(const std::string& p, uint32_t o, uint32_t stride, Add add)
    {
        xyz(p, o, stride, add);
        keys(p, o + 3 * stride, stride, add);
    }
    // "use_middle", "middle" {x, y, z, "exe_type", "timing", "tempo"}, "use_end", "end" {x, y, z,
    // "exe_type", "tempo"}.
    template <class Add> void keys(const std::string& p, uint32_t o, uint32_t stride, Add add)
    {
        uint32_t at = o;
        i32(p + ".use_middle", at);
        xyz(p + ".middle", at + 4, stride, add);
        at += 4 + 3 * stride;
        i32(p + ".middle.exe_type", at);
        f32(p + ".middle.timing", at + 4);
        i32(p + ".middle.tempo", at + 8);
        i32(p + ".use_end", at + 12);
        xyz(p + ".end", at + 16, stride, add);
        at += 16 + 3 * stride;
        i32(p + ".end.exe_type", at);
        i32(p + ".end.tempo", at + 4);
    }
};

void addHeader(FieldList& l)
{
    l.i32("is_use_particle", AT(is_use_particle));
    l.text("particle_name", AT(particle_name), 100);
    l.text("texture_filename", AT(texture_filename), 256);
    l.i32("version", AT(version));
    l.i32("texture_count", AT(texture_count));
    l.i32("texture_use_count", AT(texture_use_count));
    l.i32("texture_random", AT(texture_random));
    l.text("font.name", AT(font.name), 100);
    l.i32("font.size", AT(font.size));
    l.i32("font.width", AT(font.width));
    l.i32("polyline.num", AT(polyline.num));
    l.f32("polyline.time", AT(polyline.time));
    l.i32("polyline.shulink_tail_enable", AT(polyline.shulink_tail_enable));
    l.i32("polyline.fade_tail_enable", AT(polyline.fade_tail_enable));
    l.i32("polyline.sync_life_time", AT(polyline.sync_life_time));
    l.i32("is_no_anim", AT(is_no_anim));
    l.text("animation.filename", AT(animation_filename), 256);
    l.i32("animation.loop", AT(animation_loop));
    l.i32("animation.use_random_start_time", AT(animation_use_random_start_time));
}

void addSprite(FieldList& l)
{
    l.i32("sprite.blend_mode", AT(sprite.blend_mode));
    l.i32("sprite.use_z_buffer", AT(sprite.use_z_buffer));
    l.i32("sprite.culling_aspect", AT(sprite.culling_aspect));
    l.i32("sprite.use_billboard", AT(sprite.use_billboard));

    const std::string size = "sprite.size";
    l.sizeKey(size + ".start", AT(sprite.size.start));
    l.i32(size + ".start.exe_type", AT(sprite.size.start.exe_type));
    l.i32(size + ".use_middle", AT(sprite.size.use_middle));
    l.sizeKey(size + ".middle", AT(sprite.size.middle));
    l.i32(size + ".middle.exe_type", AT(sprite.size.middle.exe_type));
    l.f32(size + ".middle.timing", AT(sprite.size.middle.timing));
    l.i32(size + ".middle.tempo", AT(sprite.size.middle.tempo));
    l.i32(size + ".use_end", AT(sprite.size.use_end));
    l.sizeKey(size + ".end", AT(sprite.size.end));
    l.i32(size + ".end.exe_type", AT(sprite.size.end.exe_type));
    l.i32(size + ".end.tempo", AT(sprite.size.end.tempo));
    l.frameBlock(size, AT(sprite.size.use_frame));

    const std::string color = "sprite.color";
    l.i32(color + ".culc_mode", AT(sprite.color.culc_mode));
    l.channels(color + ".start", AT(sprite.color.start));
    l.i32(color + ".start.use_random", AT(sprite.color.start.use_random));
    l.channels(color + ".start.random_range", AT(sprite.color.start.random_range));
    l.i32(color + ".use_middle", AT(sprite.color.use_middle));
    l.channels(color + ".middle", AT(sprite.color.middle));
    l.f32(color + ".middle.timing", AT(sprite.color.middle.timing));
    l.i32(color + ".middle.tempo", AT(sprite.color.middle.tempo));
    l.i32(color + ".middle.use_random", AT(sprite.color.middle.use_random));
    l.channels(color + ".middle.random_range", AT(sprite.color.middle.random_range));
    l.i32(color + ".middle.only_alpha", AT(sprite.color.middle.only_alpha));
    l.i32(color + ".use_end", AT(sprite.color.use_end));
    l.channels(color + ".end", AT(sprite.color.end));
    l.i32(color + ".end.tempo", AT(sprite.color.end.tempo));
    l.i32(color + ".end.use_random", AT(sprite.color.end.use_random));
    l.channels(color + ".end.random_range", AT(sprite.color.end.random_range));
    l.i32(color + ".end.only_alpha", AT(sprite.color.end.only_alpha));
    l.frameBlock(color, AT(sprite.color.use_frame));
}

void addOccurAndSound(FieldList& l)
{
    l.i32("occur.particle_num.num", AT(occur.particle_num.num));
    l.i32("occur.particle_num.use_random", AT(occur.particle_num.use_random));
    l.i32("occur.particle_num.random_range", AT(occur.particle_num.random_range));
    l.i32("occur.use_particle_age", AT(occur.use_particle_age));
    l.timeRange("occur.particle_age", AT(occur.particle_age));
    l.i32("occur.patturn", AT(occur.patturn));
    l.i32("occur.count", AT(occur.count));
    l.i32("occur.suspend_time", AT(occur.suspend_time));
    l.i32("occur.use_delay", AT(occur.use_delay));
    l.timeRange("occur.delay", AT(occur.delay));
    l.i32("occur.delay.order", AT(occur.delay.order));
    l.makeParticle("occur.same_time_make_particle", AT(occur.same_time_make_particle));
    l.makeParticle("occur.endress_make_particle", AT(occur.endress_make_particle));
    l.makeParticle("occur.lost_time_make_particle", AT(occur.lost_time_make_particle));
    l.soundBlock("sound.same_time_play", AT(sound.same_time_play));
    l.soundBlock("sound.lost_time_play", AT(sound.lost_time_play));
}

void addLocation(FieldList& l)
{
    l.i32("location.use_bounding_point", AT(location.use_bounding_point));
    l.i32("location.use_bounding_circle", AT(location.use_bounding_circle));
    l.f32("location.circle.radius", AT(location.circle.radius));
    l.axes("location.circle.rotate", AT(location.circle.rotate));
    l.i32("location.circle.make_type", AT(location.circle.make_type));
    l.i32("location.circle.spectrum_type", AT(location.circle.spectrum_type));
    l.f32("location.circle.first_angle", AT(location.circle.first_angle));
    l.f32("location.circle.interval_angle", AT(location.circle.interval_angle));
    l.f32("location.circle.interval_duration_angle", AT(location.circle.interval_duration_angle));
    l.i32("location.use_bounding_sphere", AT(location.use_bounding_sphere));
    l.f32("location.sphere.radius", AT(location.sphere.radius));
    l.i32("location.sphere.make_type", AT(location.sphere.make_type));
    l.i32("location.sphere.spectrum_type", AT(location.sphere.spectrum_type));
    l.f32("location.sphere.latitude_angle", AT(location.sphere.latitude_angle));
    l.f32("location.sphere.longitude_angle", AT(location.sphere.longitude_angle));
    l.i32("location.sphere.use_base_point_select_range", AT(location.sphere.use_base_point_select_range));
    l.f32("location.sphere.latitude_select_range", AT(location.sphere.latitude_select_range));
    l.f32("location.sphere.longitude_select_range", AT(location.sphere.longitude_select_range));
    l.i32("location.use_bounding_box", AT(location.use_bounding_box));
    l.faces("location.box.size", AT(location.box.size), FieldType::Float, 4);
    l.axes("location.box.rotate", AT(location.box.rotate));
    l.i32("location.box.make_type", AT(location.box.make_type));
    l.faces("location.box.aspect", AT(location.box.aspect), FieldType::Int, 4);
}

void addRotate(FieldList& l)
{
    l.rotateAxis("rotate.z", AT(rotate.z));
    l.rotateAxis("rotate.x", AT(rotate.x));
    l.rotateAxis("rotate.y", AT(rotate.y));
}

void addMove(FieldList& l)
{
    l.xyz("move.velocity", AT(move.velocity), 16, &FieldList::randomFloatRev);
    l.xyz("move.acceleration", AT(move.acceleration), 16, &FieldList::randomFloatRev);
    l.xyz("move.regist", AT(move.regist), 16, &FieldList::resistFloat);
    l.i32("move.use_base_point", AT(move.use_base_point));
    l.i32("move.use_absolute_vector", AT(move.use_absolute_vector));
    l.xyz("move.absolute_vector", AT(move.absolute_vector), 12, &FieldList::randomFloat);
    l.i32("move.use_circle", AT(move.use_circle));
    l.axes("move.circle.rotate", AT(move.circle.rotate));
    l.i32("move.circle.diffuse_type", AT(move.circle.diffuse_type));
    l.i32("move.circle.diffuse_order", AT(move.circle.diffuse_order));
    l.f32("move.circle.first_diffuse_angle", AT(move.circle.first_diffuse_angle));
    l.f32("move.circle.diffuse_angle", AT(move.circle.diffuse_angle));
    l.f32("move.circle.diffuse_duration_angle", AT(move.circle.diffuse_duration_angle));
    l.i32("move.use_sphere", AT(move.use_sphere));
    l.randomFloat("move.sphere.latitude_angle", AT(move.sphere.latitude_angle));
    l.randomFloat("move.sphere.longitude_angle", AT(move.sphere.longitude_angle));
    l.i32("move.sphere.diffuse_type", AT(move.sphere.diffuse_type));
    l.keyed("move.attract", AT(move.attract), 16, &FieldList::randomFloatRev);
    l.randomFloatRev("move.attract.power", AT(move.attract.power));
    l.i32("move.use_gravity", AT(move.use_gravity));
    l.f32("move.gravity.acceleration", AT(move.gravity.acceleration));
    l.f32("move.gravity.factor", AT(move.gravity.factor));
    l.i32("move.use_earth", AT(move.use_earth));
    l.f32("move.earth.height", AT(move.earth.height));
    l.f32("move.earth.restitution", AT(move.earth.restitution));
    l.i32("move.earth.touch_action", AT(move.earth.touch_action));
    l.text("move.earth.touch_sound_filename", AT(move.earth.touch_sound_filename), 256);
    l.i32("move.use_box_range", AT(move.use_box_range));
    l.faces("move.box_range.size", AT(move.box_range.size), FieldType::Float, 4);
    l.faces("move.box_range.aspect", AT(move.box_range.aspect), FieldType::Int, 4);
    l.faces("move.box_range.restitution", AT(move.box_range.restitution), FieldType::Float, 4);
    l.faces("move.box_range.touch_action", AT(move.box_range.touch_action), FieldType::Int, 4);
    l.faces("move.box_range.touch_sound_files", AT(move.box_range.touch_sound_files), FieldType::Text, 256);
    l.i32("move.use_sphere_range", AT(move.use_sphere_range));
    l.f32("move.sphere_range.radius", AT(move.sphere_range.radius));
    l.f32("move.sphere_range.restitution", AT(move.sphere_range.restitution));
    l.i32("move.sphere_range.touch_action", AT(move.sphere_range.touch_action));
    l.text("move.sphere_range.touch_sound_filename", AT(move.sphere_range.touch_sound_filename), 256);
}

void addTurn(FieldList& l)
{
    l.keyed("turn.radius", AT(turn.radius), 12, &FieldList::randomFloat);
    l.i32("turn.first_angle.use_absolute_vector", AT(turn.first_angle.use_absolute_vector));
    l.f32("turn.first_angle.x", AT(turn.first_angle.x));
    l.f32("turn.first_angle.y", AT(turn.first_angle.y));
    l.f32("turn.first_angle.z", AT(turn.first_angle.z));
    l.i32("turn.first_angle.use_uniform", AT(turn.first_angle.use_uniform));
    l.f32("turn.first_angle.uniform.first_value", AT(turn.first_angle.uniform.first_value));
    l.f32("turn.first_angle.uniform.duration", AT(turn.first_angle.uniform.duration));
    l.i32("turn.first_angle.use_random", AT(turn.first_angle.use_random));
    const std::string angular = "turn.angular_velocity";
    l.angularAxis(angular + ".x", AT(turn.angular_velocity.x));
    l.angularAxis(angular + ".y", AT(turn.angular_velocity.y));
    l.angularAxis(angular + ".z", AT(turn.angular_velocity.z));
    l.keys(angular, AT(turn.angular_velocity.use_middle), 16, &FieldList::randomFloatRev);
}

#undef AT

std::vector<ParticleField> buildFields()
{
    FieldList list;
    addHeader(list);
    addSprite(list);
    addOccurAndSound(list);
    addLocation(list);
    addRotate(list);
    addMove(list);
    addTurn(list);
    return std::move(list.fields);
}

} // namespace

const std::vector<ParticleField>& particleFields()
{
    static const std::vector<ParticleField> fields = buildFields();
    return fields;
}

} // namespace Orvane::Particle
