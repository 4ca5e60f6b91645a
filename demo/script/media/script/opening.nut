// The demo's opening: a day landscape fades in, a girl fades and slides in from the right, and the
// evening opens over the day from the centre out (a rule-image transition). Each sprite's build
// closure gives how it looks once its entrance is over, which is how a loaded game shows it.

// Lets the given number of frames pass.
function waitFrames(count)
{
    for (local i = 0; i < count; i += 1)
        ::suspend();
}

function runOpening()
{
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
}
