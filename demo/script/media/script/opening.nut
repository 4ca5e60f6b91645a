// The demo's opening: a day landscape fades in under falling cherry petals, a girl fades and slides in
// from the right, and the evening opens over the day from the centre out (a rule-image transition).
// Each sprite's build closure gives how it looks once its entrance is over, which is how a loaded game
// shows it.

// Lets the given number of frames pass.
function waitFrames(count)
{
    for (local i = 0; i < count; i += 1)
        ::suspend();
}

// Cherry petals falling over the whole screen: they start along a band just above the top edge at random
// times in the first 2.5 seconds, sink 1.5 to 2.5 units a frame while drifting a little sideways and
// turning, and start again at the top when they have fallen through.
function petalDefinition()
{
    return {
        is_use_particle = 1,
        texture_count = 1,
        texture_use_count = 1,
        occur = {
            particle_num = { num = 90 },
            use_particle_age = 1,
            particle_age = { time = 6500 },
            use_delay = 1,
            delay = { time = 0, use_random = 1, random_range = 2500, order = 1 }
        },
        location = {
            use_bounding_point = 0,
            use_bounding_box = 1,
            box = {
                size = { left = -420.0, right = 420.0, top = 215.0, bottom = 240.0, back = 0.0, front = 0.0 },
                make_type = 1
            }
        },
        move = {
            velocity = {
                x = { value = -0.4, use_random = 1, random_range = 0.6 },
                y = { value = -2.5, use_random = 1, random_range = -1.5 },
                z = { value = 0.0, use_random = 0 }
            },
            regist = { x = { value = 0.0 }, y = { value = 0.0 }, z = { value = 0.0 } }
        },
        sprite = {
            blend_mode = 1,
            size = { start = { x = 9.0, y = 9.0, exe_type = 1, use_random = 1, use_fix_rate = 1,
                               random_range = { x = 14.0, y = 14.0 } } },
            color = { start = { r = 255, g = 255, b = 255, a = 235 } }
        },
        rotate = { z = { velocity = { value = -3.0, use_random = 1, random_range = 3.0 } } },
        texture_filename_list = ["image/petal.png"]
    };
}

// Petals over the opening, above the girl and under the film. Like the film they are not part of the
// saved scene: the opening lets them go when it ends. (They are not faded out: a particle system's fade
// darkens its colours as well as its alpha, so fading petals turn into dark spots.)
function makePetals()
{
    local petals = SQParticle("opening-petals");
    if (petals.createFromTable(petalDefinition(), 0) != 0)
        return null;
    petals.setPriority(25);
    petals.begin();
    return petals;
}

function runOpening()
{
    local petals = makePetals();

    // A short generated film plays once in the top-right corner while the opening runs; it keeps its
    // last frame until the opening is over and is not part of the saved scene.
    local film = SQSprite("opening-film");
    if (film.createMovie("movie/intro.ogv", 0) == 0)
    {
        film.setPriority(30);
        film.move(940.0, 20.0, 0, 0);
        film.play(0);
        print("Orvane demo: film playing\n");
    }

    ::openingDay <- stageMake("SQSprite", "opening-day", function(day)
    {
        day.create("image/bg_day.png", -1, 0, 0, 0);
        day.setPriority(0);
    });
    ::openingDay.fade(0.0, 0, 0);
    ::openingDay.fade(1.0, 800, 0);
    waitFrames(60);

    // 400 x 640, standing on the bottom edge; slides 320 pixels to the left, slowing down (easing 2).
    ::openingGirl <- stageMake("SQSprite", "opening-girl", function(girl)
    {
        girl.create("image/chara.png", -1, 0, 0, 0);
        girl.setPriority(20);
        girl.move(740.0, 80.0, 0, 0);
    });
    ::openingGirl.move(1060.0, 80.0, 0, 0);
    ::openingGirl.fade(0.0, 0, 0);
    ::openingGirl.fade(1.0, 1000, 0);
    ::openingGirl.move(740.0, 80.0, 1000, 2);
    waitFrames(120);

    // Between the day and the girl.
    ::openingEvening <- stageMake("SQSprite", "opening-evening", function(evening)
    {
        evening.create("image/bg_evening.png", -1, 0, 0, 0);
        evening.setPriority(10);
    });
    ::openingEvening.transition(0.0, 1.0, 0.15, "image/rule_radial.png", 1500, 0);
    waitFrames(120);
    film = null;
    petals = null;
}
